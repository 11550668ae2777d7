#include "link/PortDiagnosis.h"

#include "i18n/LanguageTable.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* modemManagerName = "ModemManager";

struct KindOfError {
    int error;
    PortRefusal::Kind kind;
};

constexpr KindOfError kindsOfErrors[] = {
    {EACCES, PortRefusal::NoPermission}, {EPERM, PortRefusal::NoPermission},
    {EBUSY, PortRefusal::Held},          {EWOULDBLOCK, PortRefusal::Held},
    {ENOENT, PortRefusal::NotPresent},   {ENODEV, PortRefusal::NotPresent},
    {ENXIO, PortRefusal::NotPresent},    {EIO, PortRefusal::NotPresent},
    {ENOTTY, PortRefusal::NotSerial},    {EISDIR, PortRefusal::NotSerial},
};

// The language file's text of each kind; %1 is the path.
struct KindText {
    PortRefusal::Kind kind;
    const char* key;
};

constexpr KindText kindTexts[] = {
    {PortRefusal::NoPermission, "MSG_PORT_GROUP"}, {PortRefusal::NeedsNewLogin, "MSG_PORT_LOGIN"},
    {PortRefusal::Held, "MSG_PORT_HELD"},          {PortRefusal::NotPresent, "MSG_PORT_NONE"},
    {PortRefusal::NotSerial, "MSG_PORT_NOTTY"},    {PortRefusal::Other, "MSG_PORT_OTHER"},
};

std::string commandNameOf(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

void addHolder(std::vector<PortHolder>& holders, int pid)
{
    if (pid <= 0 || pid == getpid())
        return;
    for (const PortHolder& holder : holders)
        if (holder.pid == pid)
            return;
    holders.push_back({pid, commandNameOf(pid)});
}

// /proc/locks names a lock's file as MAJOR:MINOR:INODE of its file system, in hex and decimal.
void addLockHolders(const struct stat& device, std::vector<PortHolder>& holders)
{
    std::ifstream locks("/proc/locks");
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(device.st_dev), minor(device.st_dev),
                  static_cast<unsigned long>(device.st_ino));
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        int pid = 0;
        fields >> number >> kind;
        if (kind == "->") // a waiter, not a holder
            continue;
        fields >> mode >> access >> pid >> file;
        if (file == wanted)
            addHolder(holders, pid);
    }
}

void addOpenHolders(const std::string& target, std::vector<PortHolder>& holders)
{
    std::error_code error;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
            continue;
        std::error_code unreadable; // another user's descriptors stay hidden
        for (const auto& descriptor : fs::directory_iterator(process.path() / "fd", unreadable)) {
            std::error_code notLink;
            if (fs::read_symlink(descriptor.path(), notLink).string() == target) {
                addHolder(holders, std::stoi(name));
                break;
            }
        }
    }
}

std::string userName()
{
    const passwd* user = getpwuid(geteuid());
    return user ? user->pw_name : std::to_string(geteuid());
}

bool sessionHasGroup(gid_t group)
{
    if (getegid() == group)
        return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(0, getgroups(0, nullptr))));
    groups.resize(static_cast<size_t>(std::max(0, getgroups(static_cast<int>(groups.size()), groups.data()))));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// A member by the group database (its member list, or the user's own primary group).
bool listedInGroup(const group& entry, const std::string& user)
{
    const passwd* account = getpwnam(user.c_str());
    if (account && account->pw_gid == entry.gr_gid)
        return true;
    for (char** member = entry.gr_mem; member && *member; ++member)
        if (user == *member)
            return true;
    return false;
}

void explainPermission(const struct stat& device, PortRefusal& refusal)
{
    const group* entry = getgrgid(device.st_gid);
    refusal.group = entry ? entry->gr_name : std::to_string(device.st_gid);
    if (entry && listedInGroup(*entry, refusal.user) && !sessionHasGroup(device.st_gid))
        refusal.kind = PortRefusal::NeedsNewLogin;
}

} // namespace

std::vector<PortHolder> portHolders(const std::string& path)
{
    std::vector<PortHolder> holders;
    struct stat device {};
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error || stat(target.c_str(), &device) != 0)
        return holders;
    addLockHolders(device, holders);
    addOpenHolders(target.string(), holders);
    return holders;
}

PortRefusal diagnosePortRefusal(const std::string& path, int error)
{
    PortRefusal refusal;
    refusal.path = path;
    refusal.error = error;
    refusal.user = userName();
    for (const KindOfError& row : kindsOfErrors)
        if (row.error == error)
            refusal.kind = row.kind;
    struct stat device {};
    const bool exists = !path.empty() && stat(path.c_str(), &device) == 0;
    if (!exists && refusal.kind != PortRefusal::NoPermission)
        refusal.kind = PortRefusal::NotPresent;
    else if (exists && refusal.kind == PortRefusal::NoPermission)
        explainPermission(device, refusal);
    else if (refusal.kind == PortRefusal::Held)
        refusal.holders = portHolders(path);
    return refusal;
}

QString describePortRefusal(const PortRefusal& refusal)
{
    const QString path = QString::fromStdString(refusal.path.empty() ? "-" : refusal.path);
    const char* key = "MSG_PORT_OTHER";
    for (const KindText& row : kindTexts)
        if (row.kind == refusal.kind)
            key = row.key;
    const QString group = QString::fromStdString(refusal.group);
    if (refusal.kind == PortRefusal::NoPermission)
        return textForKey(key).arg(path, group, QString::fromStdString(refusal.user));
    if (refusal.kind == PortRefusal::NeedsNewLogin)
        return textForKey(key).arg(path, group);
    if (refusal.kind == PortRefusal::Held && !refusal.holders.empty()) {
        const auto& holders = refusal.holders;
        const auto modemManager = std::find_if(holders.begin(), holders.end(), [](const PortHolder& holder) {
            return holder.name == modemManagerName;
        });
        if (modemManager != holders.end())
            return textForKey("MSG_PORT_MODEM").arg(path, QString::number(modemManager->pid));
        return textForKey("MSG_PORT_HOLDER")
            .arg(path, QString::fromStdString(holders.front().name), QString::number(holders.front().pid));
    }
    if (refusal.kind == PortRefusal::Other)
        return textForKey(key).arg(path, QString::fromLocal8Bit(std::strerror(refusal.error)));
    return textForKey(key).arg(path);
}

} // namespace vantrel
