#include "control/Auto.h"

#include "control/AvCtl.h"
#include "platform/WindowPosition.h"
#include "i18n/LanguageTable.h"
#include "i18n/Localiser.h"
#include "platform/Profile.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace vantrel {

TfrmAuto* frmAuto = nullptr;

namespace {

constexpr QSize clientSize(274, 249);
constexpr uint32_t afterCloseMs = 10;

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Shows `dialog` modally until it is done. Its show serves events, so a key typed ahead may
// close it before any modal loop runs; exec() would then wait for ever on a hidden dialog.
void showModalUntilDone(QDialog& dialog)
{
    QEventLoop loop;
    const auto connection = QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    if (dialog.isVisible())
        loop.exec(QEventLoop::DialogExec);
    QObject::disconnect(connection);
}

} // namespace

TfrmAuto::TfrmAuto(CProfile& profile, TfrmAvCtl& controller, TfrmWait* waitDialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint),
      profile_(profile), controller_(controller), windows_(controller, waitDialog),
      run_(controller.session().vtr, windows_)
{
    setObjectName("frmAuto");
    setWindowTitle("Auto Capture");
    createControls();
    connectControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_AUTO"));
    nameControlsForScreenReaders();
}

TfrmAuto::~TfrmAuto()
{
    if (frmAuto == this)
        frmAuto = nullptr;
}

QSpinBox* TfrmAuto::makeSpin(QWidget* parent, const char* name, int maximum, const QRect& place)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(0, maximum);
    spin->setGeometry(place);
    return spin;
}

void TfrmAuto::createControls()
{
    setFixedSize(clientSize);
    rbTimecode = new QRadioButton("Timecode", this);
    rbTimecode->setObjectName("rbTimecode");
    rbTimecode->setGeometry(12, 6, 200, 22);
    createTimeGroup();
    rbInterval = new QRadioButton("Interval", this);
    rbInterval->setObjectName("rbInterval");
    rbInterval->setGeometry(12, 96, 200, 22);
    createIntervalGroup();

    btnExR = makePushButton(this, "btnExR", "Execute", {46, 211, 86, 28});
    btnCancel = makePushButton(this, "btnCancel", "Cancel", {142, 211, 86, 28});
    for (QPushButton* button : {btnExR, btnCancel})
        button->setAutoDefault(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1);
    Timer1->setSingleShot(false);

    // Kept from an older layout, outside the client area, never shown.
    rbPhoto = new QRadioButton("Photo", this);
    rbPhoto->setObjectName("rbPhoto");
    rbPhoto->setGeometry(clientSize.width() + 10, 0, 80, 20);
    rbPhoto->hide();
    GroupBox3 = new QGroupBox(this);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setGeometry(clientSize.width() + 10, 30, 80, 40);
    GroupBox3->hide();
}

void TfrmAuto::createTimeGroup()
{
    gbTime = new QGroupBox(this);
    gbTime->setObjectName("gbTime");
    gbTime->setGeometry(8, 28, 258, 64);
    constexpr int columns[] = {10, 72, 134, 196};
    constexpr int width = 54;
    seH = makeSpin(gbTime, "seH", 9, {columns[0], 32, width, 24});
    seM = makeSpin(gbTime, "seM", 59, {columns[1], 32, width, 24});
    seS = makeSpin(gbTime, "seS", 59, {columns[2], 32, width, 24});
    seF = makeSpin(gbTime, "seF", 24, {columns[3], 32, width, 24});
    lblH = makeLabel(gbTime, "lblH", "hour", {columns[0], 12, width, 18});
    lblM = makeLabel(gbTime, "lblM", "min.", {columns[1], 12, width, 18});
    lblS = makeLabel(gbTime, "lblS", "sec.", {columns[2], 12, width, 18});
    lblF = makeLabel(gbTime, "lblF", "frame", {columns[3], 12, width + 6, 18});
}

void TfrmAuto::createIntervalGroup()
{
    gbInt = new QGroupBox(this);
    gbInt->setObjectName("gbInt");
    gbInt->setGeometry(8, 118, 258, 84);
    lblIntvNum = makeLabel(gbInt, "lblIntvNum", "Number of pictures ", {10, 16, 170, 22});
    seNum = makeSpin(gbInt, "seNum", 99, {184, 14, 62, 24});
    seNum->setMinimum(2);
    seM2 = makeSpin(gbInt, "seM2", 59, {10, 50, 54, 24});
    lblM1 = makeLabel(gbInt, "lblM1", "min.", {68, 52, 56, 20});
    seS2 = makeSpin(gbInt, "seS2", 59, {128, 50, 54, 24});
    lblS1 = makeLabel(gbInt, "lblS1", "sec.", {186, 52, 60, 20});
}

void TfrmAuto::connectControls()
{
    connect(rbTimecode, &QRadioButton::clicked, this, &TfrmAuto::radioClick);
    connect(rbInterval, &QRadioButton::clicked, this, &TfrmAuto::radioClick);
    for (QSpinBox* spin : {seH, seM, seS, seF, seM2, seS2})
        connect(spin, &QSpinBox::valueChanged, this, &TfrmAuto::spinChange);
    for (QSpinBox* spin : {seH, seM, seS, seF, seNum, seM2, seS2}) {
        spin->installEventFilter(this);
        if (QLineEdit* edit = spin->findChild<QLineEdit*>())
            edit->installEventFilter(this);
    }
    connect(Timer1, &QTimer::timeout, this, &TfrmAuto::Timer1Timer);
    connect(btnExR, &QPushButton::clicked, this, &TfrmAuto::btnExRClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmAuto::btnCancelClick);
}

// A spin edit is read out by the label beside it.
void TfrmAuto::nameControlsForScreenReaders()
{
    const std::pair<QSpinBox*, QLabel*> pairs[] = {{seH, lblH},   {seM, lblM},   {seS, lblS},
                                                   {seF, lblF},   {seNum, lblIntvNum},
                                                   {seM2, lblM1}, {seS2, lblS1}};
    for (const auto& [spin, label] : pairs)
        spin->setAccessibleName(label->text().trimmed());
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{rbTimecode, rbInterval, btnExR, btnCancel})
        button->setAccessibleName(button->text().remove('&'));
    gbTime->setAccessibleName(rbTimecode->accessibleName());
    gbInt->setAccessibleName(rbInterval->accessibleName());
}

bool TfrmAuto::runModal()
{
    controller_.autoCaptureWindow = this;
    showModalUntilDone(*this);
    controller_.autoCaptureWindow = nullptr;
    serviceEvents();
    if (executeChosen)
        run_.activate();
    return executeChosen;
}

void TfrmAuto::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmAuto::FormShow()
{
    saved = loadAutoSettings(profile_);
    edited = saved;
    executeChosen = false;
    framesPerSecond = controller_.session().vtr.framesPerSecond;
    (saved.mode != AutoSettings::TimeCode ? rbInterval : rbTimecode)->setChecked(true);
    radioClick();
    fillSpinEdits();
    Timer1->stop(); // the fill is not an edit
    applyExecuteRule(saved.mode);
    centreOnScreen(*this);
}

void TfrmAuto::fillSpinEdits()
{
    const int fps = framesPerSecond;
    const int32_t target = saved.target;
    const int32_t interval = saved.interval;
    seF->setMaximum(fps - 1);
    seH->setValue(target / (fps * 3600));
    seM->setValue((target % (fps * 3600)) / (fps * 60));
    seS->setValue((target % (fps * 60)) / fps);
    seF->setValue(target % fps);
    seM2->setValue((interval % (fps * 3600)) / (fps * 60));
    seS2->setValue((interval % (fps * 60)) / fps);
    seNum->setValue(saved.pictureCount);
}

void TfrmAuto::radioClick()
{
    const bool timeCode = rbTimecode->isChecked();
    const bool interval = rbInterval->isChecked();
    for (QSpinBox* spin : {seH, seM, seS, seF})
        spin->setEnabled(timeCode);
    for (QSpinBox* spin : {seM2, seS2, seNum})
        spin->setEnabled(interval);
    if (timeCode)
        edited.mode = AutoSettings::TimeCode;
    if (interval)
        edited.mode = AutoSettings::Interval;
    applyExecuteRule(edited.mode);
}

void TfrmAuto::spinChange()
{
    Timer1->start();
}

void TfrmAuto::Timer1Timer()
{
    Timer1->stop();
    if (rbInterval->isChecked()) {
        edited.interval = (seM2->value() * 60 + seS2->value()) * framesPerSecond;
        applyExecuteRule(AutoSettings::Interval);
    } else if (rbTimecode->isChecked()) {
        applyExecuteRule(AutoSettings::TimeCode);
    }
}

int32_t TfrmAuto::targetFromSpinEdits() const
{
    return framesOf(seH->value(), seM->value(), seS->value(), seF->value(), framesPerSecond);
}

void TfrmAuto::applyExecuteRule(int mode)
{
    const QuobVtr& vtr = controller_.session().vtr;
    if (!pausedOrPlaying(vtr.state)) {
        btnExR->setEnabled(false);
        return;
    }
    serviceEvents();
    if (mode == AutoSettings::TimeCode)
        edited.target = targetFromSpinEdits();
    const ExecuteRule rule = executeRule(mode, vtr.state, vtr.timeCode, edited.target, framesPerSecond);
    if (rule != ExecuteRule::Unchanged)
        btnExR->setEnabled(rule == ExecuteRule::Enabled);
}

void TfrmAuto::btnExRClick()
{
    hide();
    serviceEvents();
    Delay(afterCloseMs);
    executeChosen = true;
    edited.target = targetFromSpinEdits();
    edited.pictureCount = seNum->value();
    Timer1->start();
    saved = edited;
    saveAutoSettings(profile_, saved);
    run_.begin(saved, framesPerSecond);
    done(Accepted);
}

void TfrmAuto::btnCancelClick()
{
    reject();
}

// Enter in a spin edit executes, even while Execute is disabled; Esc cancels.
bool TfrmAuto::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (isEnterKey(key)) {
            btnExRClick();
            return true;
        }
        if (key == Qt::Key_Escape) {
            btnCancelClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAuto::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        btnCancelClick();
        return;
    }
    if (isEnterKey(event->key()))
        return; // no default button: Enter executes only from a spin edit
    QDialog::keyPressEvent(event);
}

bool TfrmAuto::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        if (message->number() == Msg::StatusChanged)
            applyExecuteRule(edited.mode);
        return true;
    }
    return QDialog::event(event);
}


} // namespace vantrel
