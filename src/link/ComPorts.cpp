#include "link/ComPorts.h"

#include "platform/Profile.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr const char* portsSection = "Ports";

std::string keyOf(int port)
{
    return "COM" + std::to_string(port);
}

} // namespace

std::vector<ComPortMapping> comPortMappings(const CProfile& profile, const std::vector<SerialDevice>& found)
{
    std::vector<ComPortMapping> mappings;
    std::vector<const SerialDevice*> claimed;
    for (int port = firstComPort; port <= lastComPort; ++port) {
        ComPortMapping mapping;
        mapping.port = port;
        mapping.fromSettings = profile.ReadString(portsSection, keyOf(port), mapping.path) && !mapping.path.empty();
        if (mapping.fromSettings) {
            mapping.found = deviceForPath(found, mapping.path);
            claimed.push_back(mapping.found);
        }
        mappings.push_back(mapping);
    }
    auto unclaimed = found.begin();
    for (ComPortMapping& mapping : mappings) {
        if (mapping.fromSettings)
            continue;
        while (unclaimed != found.end()
               && std::find(claimed.begin(), claimed.end(), &*unclaimed) != claimed.end())
            ++unclaimed;
        if (unclaimed == found.end())
            break;
        mapping.found = &*unclaimed++;
        mapping.path = mapping.found->path;
    }
    return mappings;
}

std::string comPortPath(int port)
{
    if (port < firstComPort || port > lastComPort)
        return {};
    const auto found = serialDevicesPresent();
    return comPortMappings(CProfile(), found)[static_cast<size_t>(port - firstComPort)].path;
}

int comPortOf(const std::vector<ComPortMapping>& mappings, const std::string& path)
{
    for (const ComPortMapping& mapping : mappings)
        if (!path.empty() && mapping.path == path)
            return mapping.port;
    return 0;
}

bool assignComPort(CProfile& profile, int port, const SerialDevice& device)
{
    if (port < firstComPort || port > lastComPort)
        return false;
    return profile.WriteString(portsSection, keyOf(port), device.path);
}

} // namespace vantrel
