#pragma once
#include <QString>

#include <string>
#include <vector>

namespace vantrel {

// A process that holds a port open or locked.
struct PortHolder {
    int pid = 0;
    std::string name; // its command name, as /proc/PID/comm gives it
};

// Why a port could not be opened, found from the refusal and the machine's state after it.
struct PortRefusal {
    enum Kind {
        NoPermission,  // the user is not in the device's group
        NeedsNewLogin, // a member of the group in /etc/group, but not in this session
        Held,          // another program has it
        NotPresent,    // nothing at the path (an adapter not plugged in)
        NotSerial,     // something that is not a serial device
        Other,
    };
    Kind kind = Other;
    std::string path;
    int error = 0;
    std::string group;               // the device's group
    std::string user;                // the user running this program
    std::vector<PortHolder> holders; // lock holders first, then those that hold it open
};

// Looks at a refused open of `path` (errno `error`): the device's group and the user's
// membership, the holders as far as /proc lets this user see them.
PortRefusal diagnosePortRefusal(const std::string& path, int error);

// The refusal in the user's language, one line, from the language file.
QString describePortRefusal(const PortRefusal& refusal);

// The processes other than this one that hold `path` (by the tty it leads to): flock holders
// from /proc/locks, then those with a descriptor of it in /proc/*/fd.
std::vector<PortHolder> portHolders(const std::string& path);

} // namespace vantrel
