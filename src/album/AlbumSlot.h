#pragma once
#include <QFrame>
#include <QImage>

class QLabel;
class QMenu;
class QMouseEvent;

namespace vantrel {

struct SlotLabelLook;

// Where the mouse events of every control of a slot go (the index editing); `place` is the
// slot's tag, `control` the control that received the event. Each event arrives once: the
// slot keeps it from its parents.
class SlotMouseHandler {
public:
    virtual ~SlotMouseHandler() = default;
    virtual void slotMouseEvent(int place, QWidget* control, QMouseEvent* event) = 0;
};

// The paint box: draws the slot's thumbnail at (0, 0), 80 x 60, when it has pixels.
class SlotPaintBox : public QWidget {
public:
    explicit SlotPaintBox(QWidget* parent);
    QImage thumbnail;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One album place in the index: a 100 x 100 panel with the 80 x 60 thumbnail in a lowered
// frame, the time code below and the place number above. Starts hidden, with the labels'
// built-in texts "--:--:--:--" and "00"; the labels' sizes and the slot's accessible name
// follow its texts when it is shown.
class AlbumSlot : public QFrame {
public:
    static constexpr int size = 100;
    static constexpr int thumbnailWidth = 80;
    static constexpr int thumbnailHeight = 60;

    // A child of the index area; `dotsPerInch` picks the labels' font size and the time
    // label's left edge.
    AlbumSlot(QWidget* indexArea, double dotsPerInch);

    // The tag of every control of the slot, and the number label as two digits.
    void setPlace(int place);
    int place() const { return place_; }
    void setTimeCode(const QString& timeCode);
    void setThumbnail(const QImage& thumbnail);
    void showSlot(bool visible);
    // Highlight colours on or off; nothing changes when the slot already shows that state.
    void highlight(bool on);
    bool highlighted() const { return highlighted_; }
    void setMouseHandler(SlotMouseHandler* handler) { handler_ = handler; }
    // The menu a right click on the slot opens; none when null.
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* popupMenu() const { return popupMenu_; }

    QFrame* pnlThumb;
    SlotPaintBox* pbThumb;
    QLabel* lblTime;
    QLabel* lblNumber;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls(double dotsPerInch);
    void labelTextChanged();
    void showTexts();
    void updateAccessibleName();
    void applyColours();

    QList<QWidget*> controls() const;

    const SlotLabelLook* look_ = nullptr;
    SlotMouseHandler* handler_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    int place_ = 0;
    bool highlighted_ = false;
    bool textsToShow_ = false; // a text changed while the slot was hidden
};

// "Picture 07, 00:01:02:03": what a screen reader says for a slot.
QString slotAccessibleName(int place, const QString& timeCode);

} // namespace vantrel
