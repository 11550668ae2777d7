#include "Monitor.h"

#include "i18n/Localiser.h"
#include "link/MonitorText.h"
#include "link/Quobio.h"
#include "platform/WindowMessage.h"
#include "platform/WindowPosition.h"
#include "platform/Widgets.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

namespace vantrel {

TfrmMonitor* frmMonitor = nullptr;

namespace {

constexpr int clientWidth = 314;
constexpr int clientHeight = 105;

struct PanelLook {
    const char* name;
    QRect geometry;
    const char* colour;
    const char* initial;
};

// The four display panels: black, lowered, a fixed-pitch font in the panel's colour.
constexpr PanelLook panelLooks[] = {
    {"pnlTD", {16, 8, 281, 25}, "aqua", "00:00:00:00:00:00:00:00:00:00:00:"},
    {"pnlRD", {16, 40, 281, 25}, "aqua", "00:00:00:00:00:00:00:00:00:00:00:"},
    {"pnlCErr", {96, 72, 49, 25}, "fuchsia", "0000"},
    {"pnlJErr", {264, 72, 33, 25}, "fuchsia", "00"},
};

QLabel* makePanel(QWidget* window, const PanelLook& look)
{
    auto* panel = new QLabel(QString::fromLatin1(look.initial), window);
    panel->setObjectName(QString::fromLatin1(look.name));
    panel->setGeometry(look.geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, QColor(QString::fromLatin1(look.colour)));
    colours.setColor(QPalette::Dark, QColor(64, 64, 64));
    colours.setColor(QPalette::Light, QColor(224, 224, 224));
    panel->setPalette(colours);
    return panel;
}

struct LabelRoom {
    QLabel* label;
    int rightEdge; // where the panel beside it begins
};

// One font for both labels, shrunk until each text ends before its panel.
void fitLabels(std::initializer_list<LabelRoom> rooms)
{
    QFont font = rooms.begin()->label->font();
    auto fits = [&] {
        for (const auto& room : rooms)
            if (QFontMetrics(font).horizontalAdvance(room.label->text()) > room.rightEdge - room.label->x())
                return false;
        return true;
    };
    while (!fits() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (const auto& room : rooms) {
        room.label->setFont(font);
        room.label->adjustSize();
    }
}

} // namespace

TfrmMonitor::TfrmMonitor(QWidget* parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("frmMonitor");
    setWindowTitle("QUOB MONITOR");
    setFixedSize(clientWidth, clientHeight);
    createControls();
    FormCreate();
    localise(languageTable(), this);
    fitLabels();
    centreOnScreen(*this);
}

void TfrmMonitor::fitLabels()
{
    constexpr int gap = 4;
    vantrel::fitLabels({{Label1, pnlCErr->x() - gap}, {Label2, pnlJErr->x() - gap}});
}

void TfrmMonitor::showEvent(QShowEvent* event)
{
    fitLabels(); // a later localisation may have changed the fonts
    QWidget::showEvent(event);
}

void TfrmMonitor::createControls()
{
    pnlTD = makePanel(this, panelLooks[0]);
    pnlRD = makePanel(this, panelLooks[1]);
    pnlCErr = makePanel(this, panelLooks[2]);
    pnlJErr = makePanel(this, panelLooks[3]);
    // The labels sit on the panels' text line (Label tops at 80, the panels' at 72).
    Label1 = makeLabel(this, "Label1", "COM ERROR", {16, 80});
    Label2 = makeLabel(this, "Label2", "QUOB ERROR", {192, 80});
}

void TfrmMonitor::FormCreate()
{
    QFont fixed("Courier New");
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSize(9);
    for (QLabel* panel : {pnlTD, pnlRD, pnlCErr, pnlJErr})
        panel->setFont(fixed);
}

bool TfrmMonitor::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event); message && message->number() == Msg::MonitorNotice) {
        exchangeNotice(static_cast<uintptr_t>(message->wParam), message->lParam);
        return true;
    }
    return QWidget::event(event);
}

// The buffers are read now, when the notice is handled, not when it was posted.
void TfrmMonitor::exchangeNotice(uintptr_t osError, intptr_t result)
{
    if (!io_)
        return;
    QuobPacket send;
    QuobPacket answer;
    io_->copyBuffers(send, answer);
    pnlTD->setText(QString::fromStdString(packetText(send)));
    pnlRD->setText(QString::fromStdString(packetText(answer)));
    pnlCErr->setText(QString::fromStdString(lastDigits(osError, 4)));
    pnlJErr->setText(QString::fromStdString(lastDigits(static_cast<uint64_t>(result < 0 ? -result : result), 2)));
}

} // namespace vantrel
