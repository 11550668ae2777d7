#pragma once
#include <QLabel>

namespace vantrel {

// The short text an empty index shows in the middle of what is in view: how pictures get
// into the album. A screen reader reads it by its name, which is the same text.
class EmptyAlbumHint : public QLabel {
public:
    explicit EmptyAlbumHint(QWidget* indexArea);

    // The text of the running language.
    void localise();
    // White text on a dark index, black on a light one.
    void matchBackColour(const QColor& back);
    // Shown, centred in `visibleArea` of the index, only while the album holds no picture.
    void follow(int pictureCount, const QRect& visibleArea);
};

} // namespace vantrel
