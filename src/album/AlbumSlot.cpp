#include "AlbumSlot.h"

#include "i18n/LanguageTable.h"
#include "platform/Widgets.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

namespace {

constexpr QRect innerPanelGeometry(9, 19, 82, 62);
constexpr QPoint numberLabelAt(41, 3);
constexpr int timeLabelTop = 81;
constexpr double smallScreenDotsPerInch = 100;

struct LabelLook {
    int pointSize;
    int timeLeft;
};

// Fonts and the time label's left edge by the screen's resolution.
LabelLook labelLookFor(double dotsPerInch)
{
    return dotsPerInch <= smallScreenDotsPerInch ? LabelLook{9, 11} : LabelLook{8, 5};
}

QFont fixedFont(const char* family, int pointSize)
{
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace

QString slotAccessibleName(int place, const QString& timeCode)
{
    QString word = textForKey("TX_PICTURE");
    if (word.isEmpty())
        word = "Picture";
    return QString("%1 %2, %3").arg(word).arg(place, 2, 10, QChar('0')).arg(timeCode);
}

SlotPaintBox::SlotPaintBox(QWidget* parent) : QWidget(parent)
{
    setObjectName("pbThumb");
}

void SlotPaintBox::paintEvent(QPaintEvent*)
{
    if (thumbnail.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, AlbumSlot::thumbnailWidth, AlbumSlot::thumbnailHeight), thumbnail);
}

AlbumSlot::AlbumSlot(QWidget* indexArea, double dotsPerInch) : QFrame(indexArea)
{
    setObjectName("pnlSlot");
    // Coloured before its controls are made: they take the colours on as they come.
    applyColours();
    createControls(dotsPerInch);
    hide();
}

void AlbumSlot::createControls(double dotsPerInch)
{
    resize(size, size);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    pnlThumb = new QFrame(this);
    pnlThumb->setObjectName("pnlThumb");
    pnlThumb->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlThumb->setLineWidth(1);
    pnlThumb->setGeometry(innerPanelGeometry);
    QPalette inner = pnlThumb->palette();
    inner.setColor(QPalette::Window, QPalette().color(QPalette::Button));
    pnlThumb->setPalette(inner);
    pnlThumb->setAutoFillBackground(true);

    pbThumb = new SlotPaintBox(pnlThumb);
    pbThumb->setGeometry(1, 1, thumbnailWidth, thumbnailHeight);

    const LabelLook look = labelLookFor(dotsPerInch);
    // Sized to their texts when the slot is first shown (showTexts): a slot's texts are set
    // right after it is made, and a size worked out for the built-in text would be thrown away.
    lblTime = makeLabel(this, "lblTime", "--:--:--:--", QRect({look.timeLeft, timeLabelTop}, QSize()));
    lblTime->setFont(fixedFont("Courier New", look.pointSize));
    lblNumber = makeLabel(this, "lblNumber", "00", QRect(numberLabelAt, QSize()));
    lblNumber->setFont(fixedFont("Arial", look.pointSize));
    textsToShow_ = true;

    // Moves without a button down reach the slot too: they attach or detach the popup menu.
    for (QWidget* control : controls()) {
        control->installEventFilter(this);
        control->setMouseTracking(true);
    }
}

QList<QWidget*> AlbumSlot::controls() const
{
    return {const_cast<AlbumSlot*>(this), pnlThumb, pbThumb, lblTime, lblNumber};
}

void AlbumSlot::setPlace(int place)
{
    place_ = place;
    lblNumber->setText(QString("%1").arg(place, 2, 10, QChar('0')));
    labelTextChanged();
}

void AlbumSlot::setTimeCode(const QString& timeCode)
{
    if (timeCode == lblTime->text())
        return;
    lblTime->setText(timeCode);
    labelTextChanged();
}

// A shown slot fits its labels and names itself at once, a hidden one when it is shown: a
// slot's place and time code are set one after the other while it is hidden.
void AlbumSlot::labelTextChanged()
{
    textsToShow_ = true;
    if (isVisible())
        showTexts();
}

void AlbumSlot::showTexts()
{
    lblTime->adjustSize();
    lblNumber->adjustSize();
    updateAccessibleName();
    textsToShow_ = false;
}

void AlbumSlot::showEvent(QShowEvent* event)
{
    if (textsToShow_)
        showTexts();
    QFrame::showEvent(event);
}

void AlbumSlot::setThumbnail(const QImage& thumbnail)
{
    pbThumb->thumbnail = thumbnail;
    pbThumb->update();
}

// The controls inside show and hide with the slot.
void AlbumSlot::showSlot(bool visible)
{
    setVisible(visible);
}

void AlbumSlot::highlight(bool on)
{
    if (highlighted_ == on)
        return;
    highlighted_ = on;
    applyColours();
}

// The labels show the slot's colours; the thumbnail's frame keeps the button colour it was
// given when it was made.
void AlbumSlot::applyColours()
{
    QPalette colours = palette();
    const QPalette system;
    colours.setColor(QPalette::Window, highlighted_ ? system.color(QPalette::Highlight)
                                                    : system.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, highlighted_ ? system.color(QPalette::HighlightedText)
                                                        : system.color(QPalette::ButtonText));
    setPalette(colours);
}

void AlbumSlot::updateAccessibleName()
{
    const QString name = slotAccessibleName(place_, lblTime->text());
    setAccessibleName(name);
    pbThumb->setAccessibleName(name);
}

// The control that receives an event handles it; its parents in the slot do not see it again.
bool AlbumSlot::eventFilter(QObject* watched, QEvent* event)
{
    if (!handler_ || place_ == 0)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double click comes as this alone
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        handler_->slotMouseEvent(place_, static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::ContextMenu:
        if (popupMenu_)
            popupMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}

} // namespace vantrel
