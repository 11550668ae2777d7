#include "AlbumSlot.h"

#include "i18n/LanguageTable.h"
#include "platform/Widgets.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QFontInfo>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

// A font of the slot labels, with what fitting a label to a text asks of it.
struct SlotLabelFont {
    QFont font;
    bool fixedPitch;
    QString key;
};

struct SlotLabelLook {
    SlotLabelFont time;
    SlotLabelFont number;
    int timeLeft;
};

namespace {

constexpr QRect innerPanelGeometry(9, 19, 82, 62);
constexpr QPoint numberLabelAt(41, 3);
constexpr int timeLabelTop = 81;
constexpr double smallScreenDotsPerInch = 100;

SlotLabelFont labelFont(const char* family, int pointSize)
{
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return {font, QFontInfo(font).fixedPitch(), font.key()};
}

// Fonts and the time label's left edge by the screen's resolution, made once for all slots.
// Never destroyed: a font must not outlive the application's font cache.
const SlotLabelLook& labelLookFor(double dotsPerInch)
{
    if (dotsPerInch <= smallScreenDotsPerInch) {
        static const auto* small = new SlotLabelLook{labelFont("Courier New", 9), labelFont("Arial", 9), 11};
        return *small;
    }
    static const auto* large = new SlotLabelLook{labelFont("Courier New", 8), labelFont("Arial", 8), 5};
    return *large;
}

// Fits a label to its text. Finding the size lays the text out, which costs more than making
// the rest of the slot, so sizes are kept: by font, resolution and text, and in a fixed-pitch
// font by the text's length alone (every time code is as wide as every other).
void fitToText(QLabel* label, const SlotLabelFont& font)
{
    static QHash<QString, QSize> sizes;
    const QString& text = label->text();
    const QString shape = font.fixedPitch ? QString::number(text.size()) : text;
    const QString key = font.key + QString("|%1|%2").arg(label->logicalDpiY()).arg(shape);
    const auto known = sizes.constFind(key);
    if (known != sizes.cend()) {
        label->resize(*known);
        return;
    }
    label->adjustSize();
    sizes.insert(key, label->size());
}

enum class SlotColours { plain, highlighted, thumbnailFrame };

// The palettes of the slots and their thumbnails' frames: the system's colours for them,
// made again only when the system's palette changes.
const QPalette& slotPalette(SlotColours colours)
{
    static QPalette made[3];
    static qint64 madeFrom[3] = {};
    const QPalette system;
    const auto i = static_cast<size_t>(colours);
    if (madeFrom[i] == system.cacheKey() && madeFrom[i] != 0)
        return made[i];
    QPalette palette;
    switch (colours) {
    case SlotColours::plain:
        palette.setColor(QPalette::Window, system.color(QPalette::Button));
        palette.setColor(QPalette::WindowText, system.color(QPalette::ButtonText));
        break;
    case SlotColours::highlighted:
        palette.setColor(QPalette::Window, system.color(QPalette::Highlight));
        palette.setColor(QPalette::WindowText, system.color(QPalette::HighlightedText));
        break;
    case SlotColours::thumbnailFrame:
        palette.setColor(QPalette::Window, system.color(QPalette::Button));
        break;
    }
    made[i] = palette;
    madeFrom[i] = system.cacheKey();
    return made[i];
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
    pnlThumb->setPalette(slotPalette(SlotColours::thumbnailFrame));
    pnlThumb->setAutoFillBackground(true);

    pbThumb = new SlotPaintBox(pnlThumb);
    pbThumb->setGeometry(1, 1, thumbnailWidth, thumbnailHeight);

    look_ = &labelLookFor(dotsPerInch);
    // Sized to their texts when the slot is first shown (showTexts): a slot's texts are set
    // right after it is made, and a size worked out for the built-in text would be thrown away.
    lblTime = makeLabel(this, "lblTime", "--:--:--:--", QRect({look_->timeLeft, timeLabelTop}, QSize()));
    lblTime->setFont(look_->time.font);
    lblNumber = makeLabel(this, "lblNumber", "00", QRect(numberLabelAt, QSize()));
    lblNumber->setFont(look_->number.font);
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
    fitToText(lblTime, look_->time);
    fitToText(lblNumber, look_->number);
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
    setPalette(slotPalette(highlighted_ ? SlotColours::highlighted : SlotColours::plain));
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
