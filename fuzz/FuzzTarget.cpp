#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

namespace vantrel::fuzz {

namespace {

std::string scratchFolder()
{
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path(error).string();
}

// Files written for this process, removed when it ends.
struct ScratchFiles {
    std::map<std::string, std::string> byTarget;
    ~ScratchFiles()
    {
        for (const auto& [target, path] : byTarget)
            std::remove(path.c_str());
    }
};

} // namespace

std::vector<Target>& targets()
{
    static std::vector<Target> all;
    return all;
}

std::string scratchPath(const char* name)
{
    return scratchFolder() + "/vantrel-fuzz-" + std::to_string(getpid()) + "-" + name;
}

const std::string& asFile(const char* target, const uint8_t* data, size_t size)
{
    static ScratchFiles files;
    std::string& path = files.byTarget[target];
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
