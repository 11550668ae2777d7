#include "Quobsys.h"

#include "link/LinkFlags.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr uint32_t powerLockWaitMs = 1000;
constexpr uint8_t nameEnd = 0x7F;
constexpr size_t namePartLength = 6;
constexpr size_t nameLength = 12;
constexpr uint8_t captureCategory = 0x16;
constexpr int rateIndex115200 = 3;
constexpr int rateIndex38400 = 2;

struct CategoryLabel {
    uint8_t category;
    const char* label;
};

constexpr CategoryLabel categoryLabels[] = {
    {DeviceCategory::Vcr, "VCR"},     {DeviceCategory::Vdp, "VDP"},
    {DeviceCategory::Vcp, "VCP"},     {DeviceCategory::Movie, "MOVIE"},
    {DeviceCategory::Printer, "PRINTER"},
};

struct ModelGroup {
    std::array<uint8_t, 4> codes;
    uint8_t lowest;
    uint8_t highest;
};

constexpr ModelGroup groupA{{0x00, 0x01, 0x00, 0x01}, 90, 94};
constexpr ModelGroup groupB{{0x00, 0x01, 0x00, 0x02}, 70, 84};

bool inGroup(const DeviceEntry& entry, const ModelGroup& group)
{
    const auto& codes = entry.modelCodes;
    return std::equal(group.codes.begin(), group.codes.end(), codes.begin())
           && codes[4] >= group.lowest && codes[4] <= group.highest;
}

} // namespace

std::string DeviceEntry::nameText() const
{
    return std::string(name.data(), std::find(name.begin(), name.end(), '\0'));
}

const char* categoryLabel(uint8_t category)
{
    for (const auto& row : categoryLabels)
        if (row.category == category)
            return row.label;
    return "UNKNOWN";
}

QuobSys::QuobSys(CQuobIO& packetObject) : io(packetObject) {}

bool QuobSys::SetId(int id)
{
    if (!isDeviceId(id))
        return false;
    deviceId = id;
    return true;
}

bool QuobSys::powerBitIs(bool on)
{
    return ((io.answerData(4) & 0x01) != 0) == on;
}

bool QuobSys::Power(bool on, bool wait)
{
    // A sequence of the window thread may hold the lock for a moment: wait for it, never clear it.
    CommandLockGuard lock(powerLockWaitMs);
    if (!lock.owns() || !exchangeCommand(on ? QuobCmd::PowerOn : QuobCmd::PowerOff, deviceId))
        return false;
    if (!wait)
        return true;
    for (int senses = 1; senses <= settleExchangeLimit; ++senses) {
        CQuobIO::LineGuard guard(io);
        if (!exchangeCommand(QuobCmd::PowerSense, deviceId))
            return false;
        if (powerBitIs(on))
            return true;
    }
    return false;
}

bool QuobSys::exchangeCommand(const QuobCommand& command, int id)
{
    CQuobIO::LineGuard guard(io);
    io.SetCommand(id, command);
    return guard.owns() && io.Command(5);
}

bool QuobSys::Sense(int id)
{
    return exchangeCommand(QuobCmd::NodeSense, id);
}

bool QuobSys::Probe(int id)
{
    {
        CQuobIO::LineGuard guard(io);
        io.SetCommand(id, QuobCmd::NodeSense);
        if (io.Transact() != QuobResult::Ok)
            return false;
        if (powerBitIs(true))
            return true;
        if (!exchangeCommand(QuobCmd::PowerSense, id))
            return false;
        if (powerBitIs(true))
            return true;
    }
    // Answers but is off: switch it on.
    if (!SetId(id))
        return false;
    return Power(true, true);
}

bool QuobSys::readData(const QuobCommand& command, std::array<uint8_t, 6>& data)
{
    CQuobIO::LineGuard guard(io);
    if (!exchangeCommand(command, deviceId))
        return false;
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = io.answerData(static_cast<int>(4 + i));
    return true;
}

// An entry with an ID outside 1 to 99 is refused rather than read from the previous device.
bool QuobSys::ReadCodes(DeviceEntry& entry)
{
    return SetId(entry.id) && readData(QuobCmd::ReadDeviceCodes, entry.deviceCodes);
}

bool QuobSys::ReadModel(DeviceEntry& entry)
{
    return SetId(entry.id) && readData(QuobCmd::ReadModelCodes, entry.modelCodes);
}

// Copies one six-byte part of the name; true when a 0x7F ended the name in it.
bool QuobSys::copyNamePart(DeviceEntry& entry, size_t& length)
{
    for (int index = 4; index <= 9; ++index) {
        const uint8_t byte = io.answerData(index);
        if (byte == nameEnd) {
            entry.name[length] = '\0';
            return true;
        }
        entry.name[length++] = static_cast<char>(byte);
    }
    return false;
}

bool QuobSys::ReadName(DeviceEntry& entry)
{
    if (!SetId(entry.id))
        return false;
    size_t length = 0;
    for (const auto& part : {QuobCmd::ReadNameFirst, QuobCmd::ReadNameSecond}) {
        CQuobIO::LineGuard guard(io);
        if (!exchangeCommand(part, deviceId))
            return false;
        if (copyNamePart(entry, length))
            return true;
    }
    entry.name[nameLength] = '\0';
    return true;
}

bool QuobSys::ReadEntry(DeviceEntry& entry)
{
    return SetId(entry.id) && Probe(entry.id) && ReadCodes(entry) && ReadModel(entry)
           && ReadName(entry);
}

// New IDs outside 1 to 99 are refused: the device could not be addressed any more.
bool QuobSys::ChangeId(int oldId, int newId)
{
    if (!isDeviceId(newId))
        return false;
    QuobCommand command = QuobCmd::ChangeId;
    command[2] = static_cast<uint8_t>(newId);
    return exchangeCommand(command, oldId);
}

bool QuobSys::IsControllable(const DeviceEntry& entry)
{
    const uint8_t category = entry.category();
    return category == DeviceCategory::Vcr || category == DeviceCategory::Movie
           || category == DeviceCategory::Vcp;
}

bool QuobSys::HasCaptureCategory(const DeviceEntry& entry)
{
    return std::find(entry.deviceCodes.begin() + 1, entry.deviceCodes.end(), captureCategory)
           != entry.deviceCodes.end();
}

bool QuobSys::IsModelGroupA(const DeviceEntry& entry)
{
    return inGroup(entry, groupA);
}

bool QuobSys::IsModelGroupB(const DeviceEntry& entry)
{
    return inGroup(entry, groupB);
}

int QuobSys::UsableRateIndex(const DeviceEntry& entry, int rateIndex)
{
    return IsModelGroupA(entry) && rateIndex == rateIndex115200 ? rateIndex38400 : rateIndex;
}

} // namespace vantrel
