#include "platform/SerialDevices.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* byIdFolder = "dev/serial/by-id";
constexpr const char* adapterPrefixes[] = {"ttyUSB", "ttyACM"};
constexpr const char* uartPrefix = "ttyS";

std::string canonicalOf(const std::string& path)
{
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// Text before the digits, then the number: ttyUSB2 sorts before ttyUSB10.
bool naturalLess(const std::string& a, const std::string& b)
{
    auto split = [](const std::string& name) {
        size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        const long number = digits < name.size() ? std::strtol(name.c_str() + digits, nullptr, 10) : -1;
        return std::pair(name.substr(0, digits), number);
    };
    return split(a) < split(b);
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

// A ttyS node exists for every possible UART; only one whose driver knows a chip is a port.
// The kernel tells the chip's type in sysfs without the port being opened (one in use by
// another program stays listed); without sysfs the port itself is asked.
bool isRealUart(const std::string& root, const std::string& name, const std::string& path)
{
    std::ifstream sysfsType(fs::path(root) / "sys/class/tty" / name / "type");
    int type = PORT_UNKNOWN;
    if (sysfsType >> type)
        return type != PORT_UNKNOWN;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool known = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

void addByIdLinks(const std::string& root, std::vector<SerialDevice>& devices)
{
    const std::string folder = (fs::path(root) / byIdFolder).string();
    for (const std::string& name : namesIn(folder)) {
        const std::string path = folder + "/" + name;
        const std::string target = canonicalOf(path);
        if (!target.empty()) // a link left behind by an adapter that has gone
            devices.push_back({path, target, adapterNameOf(name)});
    }
}

bool alreadyListed(const std::vector<SerialDevice>& devices, const std::string& target)
{
    return std::any_of(devices.begin(), devices.end(),
                       [&](const SerialDevice& device) { return device.devicePath == target; });
}

void addTtys(const std::string& root, std::vector<SerialDevice>& devices)
{
    const std::string folder = (fs::path(root) / "dev").string();
    const std::vector<std::string> names = namesIn(folder);
    for (const char* prefix : adapterPrefixes)
        for (const std::string& name : names) {
            const std::string path = folder + "/" + name;
            const std::string target = canonicalOf(path);
            if (startsWith(name, prefix) && !target.empty() && !alreadyListed(devices, target))
                devices.push_back({path, target, {}});
        }
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        if (startsWith(name, uartPrefix) && isRealUart(root, name, path))
            devices.push_back({path, canonicalOf(path), {}});
    }
}

} // namespace

std::string SerialDevice::label() const
{
    if (adapterName.empty())
        return path;
    return adapterName + " (" + devicePath + ")";
}

std::string deviceRoot()
{
    const char* root = std::getenv("VANTREL_DEVICE_ROOT");
    return root && *root ? root : "/";
}

std::vector<SerialDevice> serialDevicesPresent(const std::string& root)
{
    std::vector<SerialDevice> devices;
    addByIdLinks(root, devices);
    addTtys(root, devices);
    return devices;
}

std::string adapterNameOf(const std::string& byIdName)
{
    std::string name = byIdName;
    for (const char* bus : {"usb-", "pci-", "platform-"})
        if (startsWith(name, bus)) {
            name.erase(0, std::char_traits<char>::length(bus));
            break;
        }
    const size_t interface = name.rfind("-if");
    if (interface != std::string::npos)
        name.erase(interface);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

const SerialDevice* deviceForPath(const std::vector<SerialDevice>& devices, const std::string& path)
{
    const std::string target = canonicalOf(path);
    for (const SerialDevice& device : devices)
        if (device.path == path || (!target.empty() && device.devicePath == target))
            return &device;
    return nullptr;
}

} // namespace vantrel
