#pragma once
#include "album/Album.h"
#include "album/AlbumSlot.h"
#include "platform/Ticks.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QScrollBar;
class QWheelEvent;

namespace vantrel {

// The album's index: a slot per picture in as many columns as the width takes, the scroll
// bar beside them, and the album's notices turned into what the slots show. It fills its
// parent; the tool bar lies over its top `top` pixels. Message 52772 scrolls it.
class AlbumIndex : public QWidget, public AlbumObserver {
    Q_OBJECT
public:
    static constexpr int slotPitch = 103; // a slot and its gap
    static constexpr int slotMargin = 5;

    // Clicks and drags on the slots and on the background go to `mouse`. The owner of
    // `album` makes the index its observer.
    AlbumIndex(Album& album, SlotMouseHandler& mouse, QWidget* parent);

    // The slots' parent, as tall as their rows, and its scroll bar.
    QWidget* ScrollBox1;
    QScrollBar* ScrollBar1;

    void setTop(int top) { top_ = top; }
    void setBackColour(uint32_t colour);
    // Puts place `place`'s slot (made on first use) where its column and row say.
    void placeSlot(int place, bool visible);
    void showAllSlots();
    void scrollToEnd();
    void layoutIndex();
    // A positive amount scrolls up, a negative one down; 200 or more a page, else a line.
    void scrollBy(intptr_t amount);
    int columnCount() const { return columns_; }
    AlbumSlot* slotAt(int place) const;

signals:
    // What the menus offer may have changed.
    void menuStatesChanged();
    // The album was emptied: its name went with it.
    void albumEmptied();
    // The viewer has pictures to show, or none any more.
    void viewerUsable(bool usable);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void pictureAdded(int place) override;
    void albumCleared() override;
    void albumStateChanged() override;
    void placeChanged(int place) override;
    void placesRemoved(int count) override;
    void highlightChanged(int place) override;

private:
    static constexpr uint32_t servingIntervalMs = 16; // a frame of a 60 Hz screen
    struct Columns {
        int columns;
        bool barShown;
    };
    // The columns `pictures` take in a client of `client`, and whether the bar shows.
    Columns indexColumns(int pictures, QSize client) const;
    void showPicture(int place);
    void hideSlot(AlbumSlot& slot);
    void moveIndexTop(int top);
    void sendWheelAsScroll(QWheelEvent* wheel);

    Album& album_;
    SlotMouseHandler& mouse_;
    std::array<AlbumSlot*, albumMaxPictures + 1> slots_{};
    int top_ = 0;
    int columns_ = 1;
    int wheelAngle_ = 0; // what the wheel turned short of a notch
    // A long open or restore serves the window's events while the pictures come in.
    PacedEventServing eventServing_{servingIntervalMs};
};

} // namespace vantrel
