#pragma once
#include <string>
#include <vector>

namespace vantrel {

// One serial device present on the machine.
struct SerialDevice {
    std::string path;        // what is opened and stored: the stable by-id link where there is one
    std::string devicePath;  // the tty it leads to (/dev/ttyUSB0)
    std::string adapterName; // the adapter's name its by-id link carries; empty without one

    // "FTDI FT232R USB UART (/dev/ttyUSB0)", or the tty alone.
    std::string label() const;
};

// The folder the device tree hangs from: "/" on a machine, VANTREL_DEVICE_ROOT when set (a
// folder with a dev/ tree of its own, for tests and for trying the program without adapters).
std::string deviceRoot();

// The serial devices below `root`: the links of dev/serial/by-id first, then ttyUSB* and
// ttyACM* that no by-id link leads to, then ttyS* where a real UART answers. Each group in
// natural order (ttyUSB2 before ttyUSB10).
std::vector<SerialDevice> serialDevicesPresent(const std::string& root = deviceRoot());

// The adapter's name in a by-id link name: "usb-FTDI_FT232R_USB_UART_A6008-if00-port0"
// gives "FTDI FT232R USB UART A6008".
std::string adapterNameOf(const std::string& byIdName);

// The device among `devices` that `path` stands for (by its own path or the tty it leads
// to); nullptr when none.
const SerialDevice* deviceForPath(const std::vector<SerialDevice>& devices, const std::string& path);

} // namespace vantrel
