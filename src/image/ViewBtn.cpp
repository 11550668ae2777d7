#include "ViewBtn.h"

#include "i18n/Localiser.h"
#include "image/ImageWindowsText.h"
#include "image/ViewerGlyphs.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>

namespace vantrel {

TfrmViewBtn* frmViewBtn = nullptr;

namespace {

constexpr int buttonCount = 6;
constexpr int placementMargin = 100;
constexpr int screenBottomMargin = 150;
constexpr int leftOffset = 10;

constexpr QToolButton* TfrmViewBtn::*buttonFields[buttonCount] = {
    &TfrmViewBtn::btnFirst, &TfrmViewBtn::btnPrev, &TfrmViewBtn::btnSS,
    &TfrmViewBtn::btnStop,  &TfrmViewBtn::btnNext, &TfrmViewBtn::btnLast,
};

} // namespace

bool stopsSlideShow(const QKeyEvent& key)
{
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    const QChar typed = text.front();
    return typed != QChar('\n') && typed != QChar(' ') && typed != QChar('\b');
}

TfrmViewBtn::TfrmViewBtn(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("frmViewBtn");
    createControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_BTN"));
    nameControlsForAccessibility(this);
}

void TfrmViewBtn::createControls()
{
    setFixedSize(buttonCount * buttonSize + 6, buttonSize);
    for (int i = 0; i < buttonCount; ++i) {
        QToolButton* button = newNavigationButton(this, navigationButtons[i]);
        button->move(i * buttonSize, 0);
        button->setFocusPolicy(Qt::StrongFocus);
        button->installEventFilter(this);
        this->*buttonFields[i] = button;
    }
}

bool TfrmViewBtn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && stopsSlideShow(*static_cast<QKeyEvent*>(event)))
        emit slideShowStopKey();
    return QWidget::eventFilter(watched, event);
}

void TfrmViewBtn::placeBeside(const QRect& viewerFrame)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int bottom = viewerFrame.y() + viewerFrame.height();
    if (bottom > area.height() || bottom < area.y() + placementMargin)
        move(leftOffset, area.height() - screenBottomMargin);
    else
        move(viewerFrame.x() + leftOffset, bottom - placementMargin);
}

} // namespace vantrel
