// Draws the title pictures resources/wyb_e.dat and resources/wyb_j.dat (430 x 210 bitmap
// files): title-pictures OUTPUT_FOLDER. The title window writes the version, the rights line
// and the maker line over them, so the top right and the bottom band stay quiet.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr QSize pictureSize(430, 210);
constexpr int bottomBand = 176;

void drawBackground(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, bottomBand);
    sky.setColorAt(0, QColor(12, 24, 64));
    sky.setColorAt(1, QColor(32, 164, 191));
    p.fillRect(0, 0, pictureSize.width(), bottomBand, sky);
    p.fillRect(0, bottomBand, pictureSize.width(), pictureSize.height() - bottomBand, QColor(236, 240, 244));
    p.fillRect(0, bottomBand, pictureSize.width(), 2, QColor(250, 200, 60));
}

// A strip of film frames across the picture, each holding a small landscape.
void drawFilmStrip(QPainter& p)
{
    const int top = 104;
    p.fillRect(0, top, pictureSize.width(), 58, QColor(20, 20, 24));
    for (int x = 6; x < pictureSize.width(); x += 14) {
        p.fillRect(x, top + 4, 7, 5, QColor(230, 230, 230));
        p.fillRect(x, top + 49, 7, 5, QColor(230, 230, 230));
    }
    const QColor skies[] = {QColor(120, 190, 240), QColor(250, 170, 90), QColor(90, 120, 200),
                            QColor(160, 210, 250), QColor(240, 130, 120)};
    for (int frame = 0; frame < 6; ++frame) {
        const QRect r(8 + frame * 72, top + 13, 62, 32);
        p.fillRect(r, skies[frame % 5]);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 130 + frame * 12, 60));
        p.drawPolygon(QPolygon({r.bottomLeft(), QPoint(r.left() + 18, r.top() + 14),
                                QPoint(r.left() + 34, r.top() + 24), QPoint(r.left() + 46, r.top() + 12),
                                r.bottomRight()}));
        p.setBrush(QColor(255, 230, 90));
        p.drawEllipse(QPoint(r.right() - 10, r.top() + 8), 4, 4);
    }
}

void drawName(QPainter& p, const QString& subtitle, const char* subtitleFamily)
{
    QFont name("DejaVu Sans");
    name.setPixelSize(54);
    name.setBold(true);
    name.setItalic(true);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPoint(22, 66), "Vantrel");
    p.setPen(Qt::white);
    p.drawText(QPoint(18, 62), "Vantrel");
    QFont small(subtitleFamily);
    small.setPixelSize(17);
    p.setFont(small);
    p.setPen(QColor(255, 236, 160));
    p.drawText(QPoint(22, 90), subtitle);
}

bool writePicture(const QString& path, const QString& subtitle, const char* subtitleFamily)
{
    QImage picture(pictureSize, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawBackground(p);
    drawFilmStrip(p);
    drawName(p, subtitle, subtitleFamily);
    p.end();
    return picture.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: title-pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool written =
        writePicture(folder + "/wyb_e.dat", "Still pictures from DV tape", "DejaVu Sans") &&
        writePicture(folder + "/wyb_j.dat", QString::fromUtf8("DVテープから静止画を取り込む"), "IPAGothic");
    return written ? 0 : 1;
}
