#pragma once
#include "platform/SerialDevices.h"

#include <string>
#include <vector>

namespace vantrel {

class CProfile;

constexpr int firstComPort = 1;
constexpr int lastComPort = 4;

// What COMn stands for.
struct ComPortMapping {
    int port = 0;
    std::string path;                   // empty: no device for it
    bool fromSettings = false;          // section "Ports" names it
    const SerialDevice* found = nullptr; // the device present that the path leads to
};

// COM1 to COM4: a key of section "Ports" wins; the names without one are the devices found
// that no key claims, in their order.
std::vector<ComPortMapping> comPortMappings(const CProfile& profile, const std::vector<SerialDevice>& found);

// The device path of COM1 to COM4 through the program folder's settings and the devices
// present; empty for any other number and for a COM name that stands for nothing.
std::string comPortPath(int port);

// The COM name `path` is mapped to among `mappings`; 0 when none.
int comPortOf(const std::vector<ComPortMapping>& mappings, const std::string& path);

// Gives COMn the device, stored under its stable path.
bool assignComPort(CProfile& profile, int port, const SerialDevice& device);

} // namespace vantrel
