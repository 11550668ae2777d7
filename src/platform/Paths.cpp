#include "Paths.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>
#include <pwd.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vantrel {

namespace {

constexpr size_t extensionWindow = 5;

size_t nameStart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

size_t firstDotOfName(const std::string& path)
{
    const auto dot = path.find('.', nameStart(path));
    return dot == std::string::npos ? path.size() : dot;
}

} // namespace

std::string extensionOf(const std::string& path)
{
    const size_t windowStart = path.size() > extensionWindow ? path.size() - extensionWindow : 0;
    const size_t from = std::max(windowStart, nameStart(path));
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || dot < from)
        return {};
    return path.substr(dot + 1);
}

std::string baseNameOf(const std::string& path)
{
    const size_t start = nameStart(path);
    return path.substr(start, firstDotOfName(path) - start);
}

std::string pathWithoutExtension(const std::string& path)
{
    return path.substr(0, firstDotOfName(path));
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

char driveLetterOf(const std::string&)
{
    return '\0';
}

bool isRootFolder(const std::string& folder)
{
    return folder.size() < 4;
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool folderExists(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

uint64_t freeSpaceOf(const std::string& path)
{
    fs::path probe = path.empty() ? fs::path(".") : fs::path(path);
    std::error_code error;
    while (!fs::exists(probe, error) && probe.has_parent_path() && probe != probe.parent_path())
        probe = probe.parent_path();
    struct statvfs info {};
    if (statvfs(probe.c_str(), &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

uint32_t fileSizeOf(const std::string& path)
{
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : static_cast<uint32_t>(size & 0xFFFFFFFFu);
}

bool resetAttributes(const std::string& path)
{
    std::error_code error;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    error);
    return !error;
}

bool copyModificationTime(const std::string& from, const std::string& to)
{
    std::error_code error;
    const auto time = fs::last_write_time(from, error);
    if (!error)
        fs::last_write_time(to, time, error);
    return !error;
}

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder()
{
    if (const std::string home = environment("HOME"); !home.empty())
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : fs::temp_directory_path().string();
}

std::string executableFolder()
{
    std::error_code error;
    const auto exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path().string() : exe.parent_path().string();
}

std::string installedDataFolderOf(const std::string& executableFolder)
{
    const fs::path data = (fs::path(executableFolder) / VANTREL_DATA_FROM_BIN).lexically_normal();
    return folderExists(data.string()) ? data.string() : std::string();
}

} // namespace

std::string chooseProgramFolder(const ProgramFolderFacts& facts)
{
    if (!facts.vantrelHome.empty())
        return fs::absolute(facts.vantrelHome).lexically_normal().string();
    if (facts.executableFolderWritable && !facts.installed)
        return facts.executableFolder;
    const bool xdgUsable = !facts.xdgDataHome.empty() && facts.xdgDataHome.front() == '/';
    const fs::path data = xdgUsable ? fs::path(facts.xdgDataHome)
                                    : fs::path(facts.home) / ".local" / "share";
    return (data / "vantrel").lexically_normal().string();
}

std::string programFolder()
{
    ProgramFolderFacts facts;
    facts.vantrelHome = environment("VANTREL_HOME");
    if (facts.vantrelHome.empty()) {
        facts.executableFolder = executableFolder();
        facts.executableFolderWritable = access(facts.executableFolder.c_str(), W_OK) == 0;
        facts.installed = !installedDataFolderOf(facts.executableFolder).empty();
        facts.xdgDataHome = environment("XDG_DATA_HOME");
        facts.home = homeFolder();
    }
    const std::string folder = chooseProgramFolder(facts);
    if (folder != facts.executableFolder && facts.vantrelHome.empty()) {
        std::error_code error;
        fs::create_directories(folder, error);
    }
    return folder;
}

std::string programFile(const std::string& name)
{
    return (fs::path(programFolder()) / name).string();
}

std::string installedDataFolder()
{
    return installedDataFolderOf(executableFolder());
}

std::vector<std::string> runtimeFolders()
{
    std::vector<std::string> folders{programFolder(), executableFolder()};
    if (const std::string data = installedDataFolder(); !data.empty())
        folders.push_back(data);
    return folders;
}

std::optional<std::string> foundRuntimeFile(const std::string& name)
{
    std::error_code error;
    for (const std::string& folder : runtimeFolders()) {
        const fs::path file = fs::path(folder) / name;
        if (fs::is_regular_file(file, error))
            return file.string();
    }
    return std::nullopt;
}

std::string runtimeFile(const std::string& name)
{
    return foundRuntimeFile(name).value_or(programFile(name));
}

} // namespace vantrel
