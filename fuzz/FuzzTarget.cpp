#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

namespace vantrel::fuzz {

namespace {

std::string scratchRoot()
{
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path(error).string();
}

std::string scratchPath(const char* name)
{
    return scratchRoot() + "/vantrel-fuzz-" + std::to_string(getpid()) + "-" + name;
}

// Files and folders made for this process, removed when it ends.
struct ScratchPaths {
    std::map<std::string, std::string> byName;
    ~ScratchPaths()
    {
        std::error_code error;
        for (const auto& [name, path] : byName)
            std::filesystem::remove_all(path, error);
    }
};

} // namespace

std::vector<Target>& targets()
{
    static std::vector<Target> all;
    return all;
}

const std::string& scratchFolder(const char* name)
{
    static ScratchPaths folders;
    std::string& path = folders.byName[name];
    if (path.empty()) {
        path = scratchPath(name);
        std::error_code error;
        std::filesystem::create_directories(path, error);
        check(!error, "the scratch folder can be made");
    }
    return path;
}

const std::string& asFile(const char* target, const uint8_t* data, size_t size)
{
    static ScratchPaths files;
    std::string& path = files.byName[target];
    if (path.empty())
        path = scratchPath(target);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "the scratch file can be written");
    if (file) {
        check(std::fwrite(data, 1, size, file) == size, "the scratch file takes the bytes");
        std::fclose(file);
    }
    return path;
}

} // namespace vantrel::fuzz
