// Prints the size of the picture on the clipboard ("848x480"), or "none": a second program
// reading what the viewer copied.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        std::printf("none\n");
    else
        std::printf("%dx%d\n", picture.width(), picture.height());
    return picture.isNull() ? 1 : 0;
}
