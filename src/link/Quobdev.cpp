#include "Quobdev.h"

#include "i18n/Localiser.h"
#include "link/ComPorts.h"
#include "platform/Profile.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace vantrel {

TfrmQuobDev* frmQuobDev = nullptr;

namespace {

constexpr int firstDeviceRow = 2;
constexpr int idColumn = 1;

QString twoDigits(int id)
{
    return QString("%1").arg(id, 2, 10, QChar('0'));
}

QString categoryText(uint8_t category)
{
    switch (category) {
    case DeviceCategory::Movie: return textForKey("SG_MOVIE");
    case DeviceCategory::Printer: return textForKey("SG_PRINTER");
    case DeviceCategory::Vcr:
    case DeviceCategory::Vdp:
    case DeviceCategory::Vcp: return QString::fromLatin1(categoryLabel(category));
    default: return textForKey("SG_UNKNOWN");
    }
}

// The ID cell while it is edited: two characters at most, and a non-digit typed last goes.
QString trimmedIdText(QString text)
{
    if (text.size() >= 3)
        text = text.left(2);
    if (!text.isEmpty() && !text.back().isDigit())
        text.chop(1);
    return text;
}

} // namespace

TfrmQuobDev::TfrmQuobDev(DeviceListLink& link, CProfile& profile, QWidget* parent)
    : QDialog(parent), link_(link), sys_(link.devices()), profile_(profile)
{
    setObjectName("frmQuobDev");
    setWindowTitle("Quob Devices");
    createControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_DEVSEL"));
    cbCom->setItemText(0, textForKey("CB_NOUSE"));
    mnuScan->setText(textForKey("MNU_SCAN"));
    mnuChID->setText(textForKey("MNU_IDCH"));
    cbCom->setAccessibleName(Label1->text());
    edSel->setAccessibleName(Label2->text());
    cbRate->setAccessibleName(Label3->text());
    cbDevice->setAccessibleName(Label4->text());
    lblPortState->setAccessibleName(Label1->text());
    SG1->setAccessibleName(textForKey("TI_DEVSEL"));
}

void TfrmQuobDev::createControls()
{
    setFixedSize(349, 262);
    Label1 = makeLabel(this, "Label1", "Serial Port", {8, 10, 110, 20});
    cbCom = new QComboBox(this);
    cbCom->setObjectName("cbCom");
    cbCom->setGeometry(120, 8, 221, 22);
    cbCom->addItems({"NotUse", "COM1", "COM2", "COM3", "COM4"});
    Label2 = makeLabel(this, "Label2", "Selected Device", {8, 36, 110, 20});
    edSel = new QLineEdit(this);
    edSel->setObjectName("edSel");
    edSel->setReadOnly(true);
    edSel->setGeometry(120, 34, 221, 22);

    SG1 = new QTableWidget(2, 4, this);
    SG1->setObjectName("SG1");
    SG1->setGeometry(8, 62, 240, 98);
    SG1->horizontalHeader()->hide();
    SG1->verticalHeader()->hide();
    SG1->verticalHeader()->setDefaultSectionSize(18);
    SG1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG1->setSelectionMode(QAbstractItemView::SingleSelection);
    SG1->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[] = {27, 25, 73, 104};
    for (int column = 0; column < 4; ++column)
        SG1->setColumnWidth(column, widths[column]);
    setRowSelection(true);

    btnScan = makePushButton(this, "btnScan", "Scan", {256, 62, 85, 25});
    btnOk = makePushButton(this, "btnOk", "OK", {256, 92, 85, 25});
    btnOk->setDefault(true);
    btnCancel = makePushButton(this, "btnCancel", "Cancel", {256, 122, 85, 25});
    Label3 = makeLabel(this, "Label3", "Picture Transfer Rate", {8, 166, 150, 20});
    cbRate = new QComboBox(this);
    cbRate->setObjectName("cbRate");
    cbRate->setGeometry(160, 165, 88, 22);
    cbRate->addItems({"  9600", " 19200", " 38400", "115200"});
    Label4 = makeLabel(this, "Label4", "Adapter", {8, 194, 110, 20});
    cbDevice = new QComboBox(this);
    cbDevice->setObjectName("cbDevice");
    cbDevice->setGeometry(120, 192, 221, 22);
    lblPortState = makeLabel(this, "lblPortState", "", {8, 218, 333, 40});
    lblPortState->setWordWrap(true);
    lblPortState->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    static const std::array<MenuItem<TfrmQuobDev>, 2> deviceMenu = {{
        {"mnuScan", "&Scan", "", &TfrmQuobDev::Scan},
        {"mnuChID", "Change &ID", "", &TfrmQuobDev::beginIdChange},
    }};
    PopupMenu1 = makeMenu(this, "PopupMenu1", "");
    addMenuItems(this, PopupMenu1, deviceMenu);
    mnuScan = findChild<QAction*>("mnuScan");
    mnuChID = findChild<QAction*>("mnuChID");

    connect(cbCom, &QComboBox::activated, this, &TfrmQuobDev::cbComChange);
    connect(cbRate, &QComboBox::activated, this, &TfrmQuobDev::cbRateChange);
    connect(cbDevice, &QComboBox::activated, this, &TfrmQuobDev::cbDeviceChange);
    connect(btnScan, &QPushButton::clicked, this, &TfrmQuobDev::Scan);
    connect(btnOk, &QPushButton::clicked, this, [this] { cancelled = false; accept(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { cancelled = true; reject(); });
    connect(SG1, &QTableWidget::cellClicked, this, [this](int row) { if (currentPort) Select(row); });
    connect(SG1, &QWidget::customContextMenuRequested, this, &TfrmQuobDev::PopupMenu1Popup);
    SG1->installEventFilter(this);
    SG1->viewport()->installEventFilter(this);
}

void TfrmQuobDev::setRowSelection(bool on)
{
    SG1->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

int TfrmQuobDev::exec()
{
    FormShow();
    return QDialog::exec();
}

void TfrmQuobDev::FormShow()
{
    cancelled = true;
    closed_ = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    const bool portOpen = link_.portInUse() != 0;
    currentPort = previousPort = link_.portInUse();
    shownPortIndex_ = currentPort;
    listPorts();
    cbCom->setCurrentIndex(currentPort);
    lblPortState->setText(portOpen ? QString() : link_.portRefusal());
    btnScan->setEnabled(portOpen);
    if (!portOpen)
        showNoDevice();
    readSavedChoice();
    selectedId = savedId_;
    readDeviceKeys();
    if (portOpen)
        Refresh();
    int rate = 3;
    if (!profile_.ReadInt("INIT", "BAUD_RATE", rate) || rate < 0 || rate > 3)
        rate = 3;
    cbRate->setCurrentIndex(rate);
}

// The port and device the settings hold: what Cancel keeps.
void TfrmQuobDev::readSavedChoice()
{
    savedId_ = savedPort_ = 0;
    if (!profile_.ReadInt("INIT", "ID", savedId_) || savedId_ < 0 || savedId_ > lastDeviceId)
        savedId_ = 0;
    if (!profile_.ReadInt("INIT", "COM", savedPort_) || savedPort_ < 0 || savedPort_ > 4)
        savedPort_ = 0;
}

void TfrmQuobDev::showNoDevice()
{
    SG1->setRowCount(2);
    fillRow(0, 0, {});
    fillRow(1, 0, {});
    SG1->selectRow(1);
    edSel->setText(textForKey("LB_CANTUSE"));
    cbRate->setEnabled(false);
    Label3->setEnabled(false);
}

void TfrmQuobDev::readDeviceKeys()
{
    int count = 0;
    profile_.ReadInt("INIT", "DEVICES", count);
    deviceCount = std::clamp(count, 0, maxEntries);
    for (int n = 0; n < deviceCount; ++n) {
        int id = 0;
        profile_.ReadInt("INIT", "ID" + std::to_string(n), id);
        entries[n] = DeviceEntry{};
        entries[n].id = static_cast<uint8_t>(std::clamp(id, 0, lastDeviceId));
    }
}

void TfrmQuobDev::writeDeviceKeys()
{
    profile_.WriteInt("INIT", "DEVICES", deviceCount);
    for (int n = 0; n < deviceCount; ++n)
        profile_.WriteInt("INIT", "ID" + std::to_string(n), entries[n].id);
    for (int n = deviceCount; n < maxEntries; ++n)
        profile_.DeleteKey("INIT", "ID" + std::to_string(n));
}

void TfrmQuobDev::Refresh()
{
    for (int n = 0; n < deviceCount; ++n) {
        DeviceEntry& entry = entries[n];
        entry.answered = sys_.Probe(entry.id) ? 1 : 0;
        if (entry.answered)
            sys_.ReadEntry(entry);
    }
    Rebuild();
}

// Row 0 titles, row 1 the no-device row, then `entry` as row number `number`.
void TfrmQuobDev::fillRow(int row, int number, const DeviceEntry& entry)
{
    QStringList cells;
    if (row == 0)
        cells = {"No.", "ID", textForKey("LB_CAT"), textForKey("LB_NAME")};
    else if (row == 1)
        cells = {"", "", "", textForKey("LB_NOTCONN")};
    else
        cells = {QString::number(number), twoDigits(entry.id), categoryText(entry.category()),
                 QString::fromStdString(entry.nameText())};
    for (int column = 0; column < 4; ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setFlags(row == 0 ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        SG1->setItem(row, column, item);
    }
}

void TfrmQuobDev::Rebuild()
{
    int answered = 0;
    for (int n = 0; n < deviceCount; ++n)
        answered += entries[n].answered ? 1 : 0;
    SG1->setRowCount(firstDeviceRow + answered);
    fillRow(0, 0, {});
    fillRow(1, 0, {});
    int row = firstDeviceRow;
    int chosen = answered > 0 ? firstDeviceRow : 1;
    for (int n = 0; n < deviceCount; ++n) {
        if (!entries[n].answered)
            continue;
        fillRow(row, row - 1, entries[n]);
        if (selectedId != 0 && entries[n].id == selectedId)
            chosen = row;
        ++row;
    }
    SG1->selectRow(chosen);
    Select(chosen);
}

DeviceEntry* TfrmQuobDev::entryOfRow(int row)
{
    if (row < firstDeviceRow || row >= SG1->rowCount() || !SG1->item(row, idColumn))
        return nullptr;
    return entryWithId(SG1->item(row, idColumn)->text().toInt());
}

DeviceEntry* TfrmQuobDev::entryWithId(int id)
{
    for (int n = 0; n < deviceCount; ++n)
        if (entries[n].id == id)
            return &entries[n];
    return nullptr;
}

int TfrmQuobDev::rowOfSelection() const
{
    return SG1->currentRow();
}

void TfrmQuobDev::Select(int row)
{
    const DeviceEntry* entry = entryOfRow(row);
    const bool usable = entry && QuobSys::IsControllable(*entry) && QuobSys::HasCaptureCategory(*entry);
    if (!entry)
        edSel->setText(textForKey("TX_NODEV"));
    else if (usable)
        edSel->setText("ID:" + twoDigits(entry->id) + " " + QString::fromStdString(entry->nameText()));
    else
        edSel->setText(textForKey("LB_CANTUSE"));
    if (entry)
        btnOk->setEnabled(usable);
    if (usable)
        cbRate->setCurrentIndex(QuobSys::UsableRateIndex(*entry, cbRate->currentIndex()));
    cbRate->setEnabled(usable);
    Label3->setEnabled(usable);
}

void TfrmQuobDev::cbRateChange(int index)
{
    const DeviceEntry* entry = entryOfRow(rowOfSelection());
    if (entry)
        cbRate->setCurrentIndex(QuobSys::UsableRateIndex(*entry, index));
}

void TfrmQuobDev::cbComChange(int index)
{
    link_.releasePort();
    if (index == 0) {
        currentPort = 0;
        shownPortIndex_ = 0;
        btnScan->setEnabled(false);
        showNoDevice();
        showPortDevice();
        return;
    }
    lblPortState->setText(QString());
    if (!link_.usePort(index)) {
        lblPortState->setText(link_.portRefusal());
        cbCom->setCurrentIndex(shownPortIndex_);
        showPortDevice();
        return;
    }
    btnScan->setEnabled(true);
    currentPort = shownPortIndex_ = index;
    showPortDevice();
    Refresh();
}

// Each COM name with the device it stands for; the adapters found to choose from.
void TfrmQuobDev::listPorts()
{
    devicesFound_ = serialDevicesPresent();
    const auto mappings = comPortMappings(profile_, devicesFound_);
    for (const ComPortMapping& mapping : mappings) {
        const QString device = mapping.found ? QString::fromStdString(mapping.found->label())
                               : mapping.path.empty() ? textForKey("TX_NOPORT")
                                                      : QString::fromStdString(mapping.path);
        cbCom->setItemText(mapping.port, QStringLiteral("COM%1: %2").arg(mapping.port).arg(device));
    }
    cbDevice->clear();
    for (const SerialDevice& device : devicesFound_)
        cbDevice->addItem(QString::fromStdString(device.label()));
    // The names are longer than the boxes: the open list shows them whole.
    for (QComboBox* box : {cbCom, cbDevice})
        box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 8);
    showPortDevice();
}

void TfrmQuobDev::showPortDevice()
{
    const int port = cbCom->currentIndex();
    const SerialDevice* device = port > 0 ? deviceForPath(devicesFound_, comPortPath(port)) : nullptr;
    cbDevice->setCurrentIndex(device ? static_cast<int>(device - devicesFound_.data()) : -1);
    cbCom->setToolTip(cbCom->currentText());
    cbDevice->setToolTip(cbDevice->currentText());
    cbDevice->setEnabled(port > 0 && !devicesFound_.empty());
    Label4->setEnabled(cbDevice->isEnabled());
}

// The chosen COM name now stands for the adapter picked (under its stable name), and is
// opened on it.
void TfrmQuobDev::cbDeviceChange(int index)
{
    const int port = cbCom->currentIndex();
    if (port < 1 || index < 0 || index >= static_cast<int>(devicesFound_.size()))
        return;
    const SerialDevice device = devicesFound_[static_cast<size_t>(index)];
    assignComPort(profile_, port, device);
    listPorts();
    cbComChange(port);
}

void TfrmQuobDev::setWindowsEnabled(bool enabled)
{
    for (QWidget* window : guarded_)
        if (window)
            window->setEnabled(enabled);
}

void TfrmQuobDev::Scan()
{
    HourGlass hourGlass;
    setWindowsEnabled(false);
    const QString title = textForKey("MB_TI_SCAN");
    if (waitWindow) {
        constexpr intptr_t showGauge = 2;
        sendMessage(waitWindow, Msg::WaitShow, reinterpret_cast<intptr_t>(&title), showGauge);
        sendMessage(waitWindow, Msg::WaitPercent, 0);
    }
    sys_.Sense(1);
    deviceCount = 0;
    for (int id = firstDeviceId; id <= lastDeviceId; ++id) {
        if (sys_.Probe(id)) {
            entries[deviceCount] = DeviceEntry{};
            entries[deviceCount].id = static_cast<uint8_t>(id);
            entries[deviceCount].answered = 1;
            ++deviceCount;
        }
        if (waitWindow && id % 10 == 9)
            sendMessage(waitWindow, Msg::WaitPercent, id + 1);
    }
    for (int n = 0; n < deviceCount; ++n) {
        CQuobIO::Delay(1000);
        sys_.ReadEntry(entries[n]);
    }
    writeDeviceKeys();
    if (waitWindow)
        sendMessage(waitWindow, Msg::WaitClose);
    Rebuild();
}

void TfrmQuobDev::PopupMenu1Popup(const QPoint& at)
{
    mnuChID->setEnabled(!editing_ && entryOfRow(rowOfSelection()) != nullptr);
    PopupMenu1->popup(SG1->viewport()->mapToGlobal(at));
}

void TfrmQuobDev::setEditLocks(bool isEditing)
{
    editing_ = isEditing;
    btnScan->setEnabled(!isEditing && currentPort != 0);
    btnOk->setEnabled(!isEditing);
    cbCom->setEnabled(!isEditing);
    cbDevice->setEnabled(!isEditing && cbCom->currentIndex() > 0 && !devicesFound_.empty());
}

void TfrmQuobDev::beginIdChange()
{
    const int row = rowOfSelection();
    if (editing_ || !entryOfRow(row))
        return;
    editRow_ = row;
    rememberedId_ = SG1->item(row, idColumn)->text();
    setRowSelection(false);
    SG1->setCurrentCell(row, idColumn);
    setEditLocks(true);
    freshEdit_ = true;
    SG1->setFocus();
}

bool TfrmQuobDev::clashes(int id) const
{
    for (int n = 0; n < deviceCount; ++n)
        if (entries[n].id == id)
            return true;
    return false;
}

// Enter confirms the typed ID; Esc, an arrow key or a click end editing without it.
void TfrmQuobDev::endIdChange(bool confirm)
{
    if (!editing_)
        return;
    QTableWidgetItem* cell = SG1->item(editRow_, idColumn);
    const int oldId = rememberedId_.toInt();
    const int newId = cell->text().toInt();
    // The cell holds what was typed; the device is the one whose ID it showed before.
    DeviceEntry* entry = entryWithId(oldId);
    bool changed = false;
    if (confirm && entry && !clashes(newId) && sys_.ChangeId(oldId, newId)) {
        entry->id = static_cast<uint8_t>(newId);
        rememberedId_ = twoDigits(newId);
        profile_.WriteInt("INIT", "ID" + std::to_string(entry - entries.data()), newId);
        changed = true;
    }
    cell->setText(rememberedId_);
    setRowSelection(true);
    SG1->selectRow(editRow_);
    setEditLocks(false);
    if (changed)
        Select(editRow_);
}

// A key while the ID cell is edited; true when it was used.
bool TfrmQuobDev::editKey(int key, const QString& typed)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: endIdChange(true); return true;
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: endIdChange(false); return true;
    default: break;
    }
    QTableWidgetItem* cell = SG1->item(editRow_, idColumn);
    if (std::exchange(freshEdit_, false))
        cell->setText(QString());
    if (key == Qt::Key_Backspace)
        cell->setText(cell->text().chopped(std::min<qsizetype>(1, cell->text().size())));
    else if (!typed.isEmpty() && typed.at(0).isPrint())
        SG1SetEditText(cell->text() + typed);
    return true;
}

void TfrmQuobDev::SG1SetEditText(const QString& text)
{
    SG1->item(editRow_, idColumn)->setText(trimmedIdText(text));
}

bool TfrmQuobDev::eventFilter(QObject* watched, QEvent* event)
{
    if (editing_ && watched == SG1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        return editKey(key->key(), key->text());
    }
    if (editing_ && watched == SG1->viewport() && event->type() == QEvent::MouseButtonPress)
        endIdChange(false);
    return QDialog::eventFilter(watched, event);
}

void TfrmQuobDev::closeEvent(QCloseEvent* event)
{
    cancelled = true;
    QDialog::closeEvent(event);
}

void TfrmQuobDev::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TfrmQuobDev::FormClose()
{
    endIdChange(false);
    setWindowsEnabled(true);
    btnScan->setEnabled(true);
    btnOk->setEnabled(true);
    cbCom->setEnabled(true);
    setRowSelection(true);
    if (cancelled) {
        link_.releasePort();
        if (previousPort != 0)
            link_.usePort(previousPort);
    } else if (const DeviceEntry* entry = entryOfRow(rowOfSelection())) {
        selectedId = entry->id;
        selectedEntry = *entry;
        sys_.ReadEntry(selectedEntry);
    } else {
        selectedId = 0;
        selectedEntry = DeviceEntry{};
    }
    // Only OK chooses the port and the device; the rate is kept either way.
    profile_.WriteInt("INIT", "ID", cancelled ? savedId_ : selectedId);
    profile_.WriteInt("INIT", "COM", cancelled ? savedPort_ : link_.portInUse());
    profile_.WriteInt("INIT", "BAUD_RATE", cbRate->currentIndex());
    rateIndex = cbRate->currentIndex();
}

} // namespace vantrel
