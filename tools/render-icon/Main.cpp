// render-icon IN.svg OUT.png SIZE: draws the SVG icon as a SIZE x SIZE PNG (a build step).
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render-icon IN.svg OUT.png SIZE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = QByteArray(argv[3]).toInt();
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    reader.setScaledSize(QSize(size, size));
    const QImage picture = reader.read();
    if (picture.isNull() || size <= 0) {
        std::fprintf(stderr, "render-icon: %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
