#include "EmptyAlbumHint.h"

#include "i18n/LanguageTable.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr int hintWidth = 360;
constexpr int sideMargin = 16;

} // namespace

EmptyAlbumHint::EmptyAlbumHint(QWidget* indexArea) : QLabel(indexArea)
{
    setObjectName("lblEmptyHint");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    localise();
}

void EmptyAlbumHint::localise()
{
    setText(textForKey("TX_EMPTY_ALBUM"));
    setAccessibleName(text());
}

void EmptyAlbumHint::matchBackColour(const QColor& back)
{
    constexpr int lightIndex = 160;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, back.lightness() > lightIndex ? Qt::black : Qt::white);
    setPalette(colours);
}

void EmptyAlbumHint::follow(int pictureCount, const QRect& visibleArea)
{
    setVisible(pictureCount == 0);
    if (pictureCount != 0)
        return;
    const int width = std::max(0, std::min(hintWidth, visibleArea.width() - 2 * sideMargin));
    const int height = heightForWidth(width);
    setGeometry(visibleArea.x() + (visibleArea.width() - width) / 2,
                visibleArea.y() + (visibleArea.height() - height) / 2, width, height);
    raise();
}

} // namespace vantrel
