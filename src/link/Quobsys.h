#pragma once
#include "link/Quobio.h"

#include <array>
#include <cstdint>
#include <string>

namespace vantrel {

// The 27-byte record of one device.
struct DeviceEntry {
    uint8_t id = 0;
    std::array<uint8_t, 6> deviceCodes{}; // byte 1 of the record is the category
    std::array<uint8_t, 6> modelCodes{};
    std::array<char, 13> name{};          // up to 12 characters, zero-terminated
    uint8_t answered = 0;

    uint8_t category() const { return deviceCodes[0]; }
    std::string nameText() const;
};
static_assert(sizeof(DeviceEntry) == 27);

// Device categories as the system names them.
namespace DeviceCategory {
constexpr uint8_t Vcr = 1;
constexpr uint8_t Vdp = 3;
constexpr uint8_t Movie = 7;
constexpr uint8_t Vcp = 9;
constexpr uint8_t Printer = 34;
} // namespace DeviceCategory

// "VCR", "VDP", "VCP", and "MOVIE", "PRINTER" or "UNKNOWN" where the windows use language texts.
const char* categoryLabel(uint8_t category);

// Device-level commands: probe, power, codes, name, ID change, and the classifiers.
class QuobSys {
public:
    explicit QuobSys(CQuobIO& io);

    bool SetId(int id);
    bool Power(bool on, bool wait);
    bool Sense(int id);
    bool Probe(int id);
    bool ReadCodes(DeviceEntry& entry);
    bool ReadModel(DeviceEntry& entry);
    bool ReadName(DeviceEntry& entry);
    bool ReadEntry(DeviceEntry& entry);
    bool ChangeId(int oldId, int newId);

    static bool IsControllable(const DeviceEntry& entry);
    static bool HasCaptureCategory(const DeviceEntry& entry);
    static bool IsModelGroupA(const DeviceEntry& entry);
    static bool IsModelGroupB(const DeviceEntry& entry);
    // The transfer rate index the device takes: model group A goes no faster than 38400
    // bit/s, so 115200 (3) becomes 38400 (2).
    static int UsableRateIndex(const DeviceEntry& entry, int rateIndex);

    CQuobIO& io;
    int deviceId = 0;

private:
    // SetCommand and Command(5) to `id` in one hold of the line.
    bool exchangeCommand(const QuobCommand& command, int id);
    bool readData(const QuobCommand& command, std::array<uint8_t, 6>& data);
    bool powerBitIs(bool on);
    bool copyNamePart(DeviceEntry& entry, size_t& length);
};

} // namespace vantrel
