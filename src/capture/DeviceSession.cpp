#include "capture/DeviceSession.h"

#include "capture/CaptureCommands.h"
#include "i18n/LanguageTable.h"
#include "link/ComPorts.h"
#include "link/PortDiagnosis.h"
#include "platform/Profile.h"

#include <limits>

namespace vantrel {

namespace {

constexpr int defaultRateIndex = 2;
constexpr int highestRateIndex = 3;

bool isPort(int port)
{
    return port >= 1 && port <= 4;
}

} // namespace

DeviceSession::DeviceSession() : ownSettings_(std::make_unique<CProfile>()), profile_(*ownSettings_) {}

DeviceSession::DeviceSession(CProfile& profile) : profile_(profile) {}

DeviceSession::~DeviceSession()
{
    vtr.SetNotifyWindow(nullptr);
    vtr.StopPolling();
}

int DeviceSession::savedRateIndex() const
{
    int rate = defaultRateIndex;
    if (!profile_.ReadInt("INIT", "BAUD_RATE", rate) || rate < 0 || rate > highestRateIndex)
        rate = defaultRateIndex;
    return rate;
}

bool DeviceSession::openSavedPort()
{
    int port = 0;
    const bool saved = profile_.ReadInt("INIT", "COM", port) && isPort(port);
    if (!saved) {
        io.Close();
        return false;
    }
    if (portInUse() != port)
        return usePort(port);
    io.SetControlMode();
    return true;
}

int DeviceSession::identifySavedDevice()
{
    int id = 0;
    selectedEntry = DeviceEntry{};
    if (!profile_.ReadInt("INIT", "ID", id) || !isDeviceId(id))
        return 0;
    selectedEntry.id = static_cast<uint8_t>(id);
    sys.Sense(id);
    if (sys.ReadEntry(selectedEntry))
        return id;
    selectedEntry = DeviceEntry{};
    return 0;
}

bool DeviceSession::addressDevice(int id)
{
    if (!isDeviceId(id))
        return false;
    vtr.SetId(id);
    sys.SetId(id);
    cpt.SetId(id);
    selectedEntry = DeviceEntry{};
    selectedEntry.id = static_cast<uint8_t>(id);
    sys.ReadModel(selectedEntry); // what cannot be read leaves the rules of no group
    return true;
}

void DeviceSession::setRateIndex(int rateIndex)
{
    cpt.rateIndex = QuobSys::UsableRateIndex(selectedEntry, rateIndex);
}

bool DeviceSession::startLink(int deviceId)
{
    if (!isDeviceId(deviceId))
        return false;
    io.SetControlMode();
    vtr.state = VtrState::Unknown;
    vtr.SetId(deviceId);
    sys.SetId(deviceId);
    vtr.StartPolling();
    return true;
}

void DeviceSession::stopLink()
{
    vtr.StopPolling();
    vtr.power = 0;
}

void DeviceSession::closeLink()
{
    stopLink();
    io.Close();
}

bool DeviceSession::powerSwitchable() const
{
    return !QuobSys::IsModelGroupB(selectedEntry);
}

PictureRoom DeviceSession::roomForCapture()
{
    if (!album_)
        return PictureRoom::free;
    const int count = album_->pictureCount();
    return roomForNewPicture(count, album_->sideFileName(count + 1), sideFileCheck_);
}

void DeviceSession::prepareCapture(CaptureWindows& windows)
{
    cpt.SetId(vtr.deviceId);
    cpt.album = album_;
    cpt.stopsTape = QuobSys::IsModelGroupB(selectedEntry);
    cpt.windows = &windows;
}

int DeviceSession::capture(CaptureWindows& windows)
{
    prepareCapture(windows);
    const int outcome = cpt.Capture();
    cpt.windows = nullptr;
    return outcome;
}

CaptureMessage DeviceSession::outcomeMessage(int outcome)
{
    if ((outcome & 0xF0) == 0)
        return {};
    std::string_view key = "MSG_COMERR";
    for (const CaptureOutcome::Row& row : CaptureOutcome::Rows)
        if (row.code == outcome && row.messageKey)
            key = row.messageKey;
    QString text = textForKey(key);
    if (key == "MSG_COMERR")
        text += QString("[%1]").arg(outcome);
    return {key, text};
}

bool DeviceSession::takeLineLoss()
{
    if (lineLost() || !io.lineLost())
        return false;
    lostPath_ = io.devicePath;
    lostPort_ = io.port;
    closeLink();
    // Whatever the tape shows when the device is back is news: the counter follows at once.
    vtr.timeCode = std::numeric_limits<int>::min();
    return true;
}

bool DeviceSession::reopenLostLine()
{
    if (!lineLost() || !io.OpenDevice(lostPath_, lostPort_))
        return false;
    lostPath_.clear();
    return startLink(vtr.deviceId);
}

int DeviceSession::portInUse() const
{
    return io.isOpen() && isPort(io.port) ? io.port : 0;
}

bool DeviceSession::usePort(int port)
{
    forgetLostLine();
    io.Close();
    portRefusal_.clear();
    if (!io.Open(port)) {
        const std::string path = comPortPath(port); // empty: the COM name stands for nothing
        const auto refusal = diagnosePortRefusal(path.empty() ? "COM" + std::to_string(port) : path,
                                                 static_cast<int>(io.lastError.load()));
        portRefusal_ = describePortRefusal(refusal);
        return false;
    }
    io.SetControlMode();
    return true;
}

} // namespace vantrel
