// vantrel-cli link commands: ports, scan, status, transport, step, power, set-id. They drive
// the device through the program's own link classes.
#include "Cli.h"
#include "LineOptions.h"
#include "CommandLinePrompts.h"
#include "capture/DeviceSession.h"
#include "platform/Profile.h"
#include "link/ComPorts.h"
#include "link/PortDiagnosis.h"
#include "link/QuobCommands.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace vantrel::cli {

namespace {

constexpr const char* lineOptions = "device port id";

std::string twoDigits(int id)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02d", id);
    return text;
}

// What went wrong on the line, with the exchange's result code.
std::string exchangeFailure(const std::string& what, const CQuobIO& io)
{
    if (io.lineLost())
        return what + ": " + lineLostText;
    const int result = io.lastResult;
    std::string text = what + " (exchange result " + std::to_string(result);
    if (result != QuobResult::Ok)
        return text + ": " + QuobResult::describe(result) + ")";
    return text + ", completion code " + std::to_string(io.completionCode()) + ")";
}

} // namespace

// Opens the line named by --device or --port (else INIT/COM of wyb30.ini) in the control
// configuration.
bool openLine(const Arguments& arguments, CQuobIO& io, std::string& error)
{
    std::optional<int> port;
    if (!arguments.intValue("port", 1, 4, port)) {
        error = "--port takes 1 to 4";
        return false;
    }
    const auto device = arguments.value("device");
    if (!device && !port) {
        const int saved = CProfile().intOr("INIT", "COM", 0);
        if (saved >= 1 && saved <= 4)
            port = saved;
    }
    if (!device && !port) {
        error = "no line: give --device PATH or --port N";
        return false;
    }
    const std::string path = device ? *device : comPortPath(*port);
    const bool opened = device ? io.OpenDevice(*device) : io.Open(*port);
    if (!opened) {
        loadLanguage();
        const PortRefusal refusal = diagnosePortRefusal(path, static_cast<int>(io.lastError.load()));
        error = describePortRefusal(refusal).toStdString();
        if (error.empty()) // no language file to say it with
            error = "cannot open " + path + ": " + std::strerror(refusal.error);
        return false;
    }
    if (!io.SetControlMode()) {
        error = "cannot configure " + path + ": " + std::strerror(static_cast<int>(io.lastError.load()));
        return false;
    }
    return true;
}

std::string lineFailure(const std::string& what, const CQuobIO& io, const std::string& otherwise)
{
    return io.lineLost() ? what + ": " + lineLostText : otherwise;
}

// --id, else INIT/ID of wyb30.ini, else 1.
bool deviceIdOf(const Arguments& arguments, int& id, std::string& error)
{
    std::optional<int> given;
    if (!arguments.intValue("id", firstDeviceId, lastDeviceId, given)) {
        error = "--id takes 1 to 99";
        return false;
    }
    const int saved = CProfile().intOr("INIT", "ID", 0);
    id = given ? *given : (isDeviceId(saved) ? saved : 1);
    return true;
}

bool openSession(const Arguments& arguments, DeviceSession& session, std::string& error)
{
    int id = 1;
    if (!deviceIdOf(arguments, id, error) || !openLine(arguments, session.io, error))
        return false;
    session.vtr.SetId(id);
    session.sys.SetId(id);
    return true;
}

namespace {

// One line a device found: its COM name (or -), its path and its name; then the COM names
// the settings give a path that is not among them.
int runPorts(const Arguments&)
{
    const auto found = serialDevicesPresent();
    const auto mappings = comPortMappings(CProfile(), found);
    for (const SerialDevice& device : found) {
        const int port = comPortOf(mappings, device.path);
        const std::string com = port ? "COM" + std::to_string(port) : "-";
        const std::string name = device.adapterName.empty() ? "" : device.label();
        std::printf("%s\t%s\t%s\n", com.c_str(), device.path.c_str(), name.c_str());
    }
    for (const ComPortMapping& mapping : mappings)
        if (mapping.fromSettings && !mapping.found)
            std::printf("COM%d\t%s\t(set in wyb30.ini)\n", mapping.port, mapping.path.c_str());
    return 0;
}

// The serial name udev gives an adapter is its by-id link's name without the bus and the
// interface: usb-FTDI_FT232R_USB_UART_A6008-if00-port0 is FTDI_FT232R_USB_UART_A6008.
std::string udevSerialOf(const std::string& byIdPath)
{
    std::string name = byIdPath.substr(byIdPath.rfind('/') + 1);
    if (name.rfind("usb-", 0) == 0)
        name.erase(0, 4);
    return name.substr(0, name.rfind("-if"));
}

// One rule line for each adapter named (by-id paths), else for each by-id adapter found.
int runUdevRule(const Arguments& arguments)
{
    std::vector<std::string> named = arguments.words;
    if (named.empty())
        for (const SerialDevice& device : serialDevicesPresent())
            if (!device.adapterName.empty())
                named.push_back(device.path);
    if (named.empty())
        return fail("no adapter with a /dev/serial/by-id name is plugged in");
    for (const std::string& path : named) {
        if (path.find("/serial/by-id/") == std::string::npos)
            return fail(path + " is not a /dev/serial/by-id name");
        std::printf("SUBSYSTEM==\"tty\", ENV{ID_SERIAL}==\"%s\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n",
                    udevSerialOf(path).c_str());
    }
    return 0;
}

int runScan(const Arguments& arguments)
{
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    QuobSys& sys = session.sys;
    std::vector<DeviceEntry> found;
    for (int id = firstDeviceId; id <= lastDeviceId; ++id)
        if (sys.Probe(id)) {
            DeviceEntry entry;
            entry.id = static_cast<uint8_t>(id);
            entry.answered = 1;
            found.push_back(entry);
        }
    if (found.empty())
        return fail(exchangeFailure("scan: no device answered on IDs 1 to 99", session.io));
    for (auto& entry : found) {
        sys.ReadEntry(entry); // what could not be read stays empty
        std::printf("%s\t%s\t%s\n", twoDigits(entry.id).c_str(), categoryLabel(entry.category()),
                    entry.nameText().c_str());
    }
    return 0;
}

int runStatus(const Arguments& arguments)
{
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    QuobVtr& vtr = session.vtr;
    vtr.Poll();
    if (session.io.lastResult != QuobResult::Ok)
        return fail(exchangeFailure("status: no status from device " + twoDigits(session.vtr.deviceId), session.io));
    if (vtr.variableSpeed)
        vtr.ExtendedSense(); // what the poll thread asks when the tape moves at a variable speed
    vtr.PowerSense();
    std::printf("state=%d power=%d fps=%d timecode=%s\n", int(vtr.state), int(vtr.power),
                int(vtr.framesPerSecond), vtr.timeCodeText().c_str());
    return 0;
}

int runTransport(const Arguments& arguments)
{
    if (arguments.words.size() != 1)
        return fail("transport needs one of play pause stop ff rew slow slowrev search searchrev revplay");
    const std::string& word = arguments.words[0];
    const TransportCommand* command = nullptr;
    for (const auto& row : transportCommands)
        if (row.word && word == row.word)
            command = &row;
    if (!command)
        return fail("transport: unknown motion '" + word + "' (try --help)");
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    QuobVtr& vtr = session.vtr;
    if (!vtr.SetState(command->state, true))
        return fail(exchangeFailure("transport " + word + ": device " + twoDigits(session.vtr.deviceId)
                                        + " did not accept or settle",
                                    session.io));
    return 0;
}

// The single word of the command: true for `yes`, false for `no`, nothing for anything else.
std::optional<bool> choiceOf(const Arguments& arguments, const char* yes, const char* no)
{
    if (arguments.words.size() != 1)
        return std::nullopt;
    if (arguments.words[0] == yes)
        return true;
    if (arguments.words[0] == no)
        return false;
    return std::nullopt;
}

int runStep(const Arguments& arguments)
{
    const auto choice = choiceOf(arguments, "fwd", "rev");
    if (!choice)
        return fail("step needs fwd or rev");
    const bool forward = *choice;
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    QuobVtr& vtr = session.vtr;
    if (!vtr.Step(forward))
        return fail(exchangeFailure("step: device " + twoDigits(session.vtr.deviceId) + " did not step", session.io));
    return 0;
}

int runPower(const Arguments& arguments)
{
    const auto choice = choiceOf(arguments, "on", "off");
    if (!choice)
        return fail("power needs on or off");
    const bool on = *choice;
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    if (!session.sys.Power(on, true))
        return fail(exchangeFailure(std::string("power ") + (on ? "on" : "off") + ": device "
                                        + twoDigits(session.vtr.deviceId) + " did not switch",
                                    session.io));
    return 0;
}

bool parseId(const std::string& text, int& id)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || !isDeviceId(value))
        return false;
    id = static_cast<int>(value);
    return true;
}

int runSetId(const Arguments& arguments)
{
    int oldId = 0;
    int newId = 0;
    if (arguments.words.size() != 2 || !parseId(arguments.words[0], oldId) || !parseId(arguments.words[1], newId))
        return fail("set-id needs OLD and NEW, each 1 to 99");
    DeviceSession session;
    std::string error;
    if (!openSession(arguments, session, error))
        return fail(error);
    if (!session.sys.ChangeId(oldId, newId))
        return fail(exchangeFailure("set-id: device " + twoDigits(oldId) + " did not take ID " + twoDigits(newId),
                                    session.io));
    return 0;
}

#define LINE_USAGE "[--device PATH | --port N] [--id N]"
#define LINE_HELP                                                                                  \
    "The line is --device PATH (a tty) or --port N (COMN through section \"Ports\" of\n"          \
    "wyb30.ini), else INIT/COM; the device is --id N, else INIT/ID, else 1."

const Registration ports({"ports", "ports",
                          "Lists the serial devices found (/dev/serial/by-id first, then ttyUSB,\n"
                          "ttyACM and ttyS ports with a UART), one a line: COM name (or -), path\n"
                          "and name. COM1 to COM4 are the keys of section \"Ports\" of wyb30.ini,\n"
                          "else the devices found in that order; COM names set to a path that\n"
                          "is not found follow.",
                          "", runPorts});

const Registration udevRule({"udev-rule", "udev-rule [/dev/serial/by-id/NAME]...",
                             "Prints the udev rule lines that keep ModemManager away from the\n"
                             "adapters named (default: every adapter with a by-id name), for the\n"
                             "file share/vantrel/udev/70-vantrel-adapters.rules in /etc/udev/rules.d.",
                             "", runUdevRule});

const Registration scan({"scan", "scan [--device PATH | --port N]",
                         "Probes IDs 1 to 99 (switching on a device that answers but is off) and\n"
                         "prints one line per device: ID<TAB>category<TAB>name.\n" LINE_HELP,
                         lineOptions, runScan});

const Registration status({"status", "status " LINE_USAGE,
                           "Polls the device once and prints\n"
                           "state=N power=0|1 fps=25|30 timecode=<sign>hh:mm:ss:ff\n" LINE_HELP,
                           lineOptions, runStatus});

const Registration transport({"transport",
                              "transport play|pause|stop|ff|rew|slow|slowrev|search|searchrev|revplay " LINE_USAGE,
                              "Sends the transport command and waits until the device has settled.\n" LINE_HELP,
                              lineOptions, runTransport});

const Registration step({"step", "step fwd|rev " LINE_USAGE,
                         "Moves the tape one frame forward or back.\n" LINE_HELP, lineOptions, runStep});

const Registration power({"power", "power on|off " LINE_USAGE,
                          "Switches the device and waits until it reports the new state.\n" LINE_HELP,
                          lineOptions, runPower});

const Registration setId({"set-id", "set-id OLD NEW [--device PATH | --port N]",
                          "Gives the device at ID OLD the ID NEW (both 1 to 99).\n" LINE_HELP,
                          lineOptions, runSetId});

} // namespace

} // namespace vantrel::cli
