#include "FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel {

namespace {

mode_t modeFor(const std::string& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::string& contents)
{
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(fd, contents.data() + done, contents.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// The work file takes the place of `path` when it was written whole; otherwise it goes.
bool commitWorkFile(const std::string& workFile, const std::string& path, bool written)
{
    written = written && ::rename(workFile.c_str(), path.c_str()) == 0;
    if (!written)
        ::unlink(workFile.c_str());
    return written;
}

// An empty work file with the permissions the replaced file has (a stale one is emptied).
bool createWorkFile(const std::string& workFile, mode_t mode)
{
    const int fd = ::open(workFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    const bool made = ::fchmod(fd, mode) == 0;
    return ::close(fd) == 0 && made;
}

} // namespace

bool replaceFileThrough(const std::string& path, const WorkFileWriter& write)
{
    const std::string workFile = path + partSuffix;
    if (!createWorkFile(workFile, modeFor(path))) {
        ::unlink(workFile.c_str());
        return false;
    }
    return commitWorkFile(workFile, path, write(workFile));
}

bool replaceFile(const std::string& path, const std::string& contents)
{
    std::vector<char> temporary(path.begin(), path.end());
    for (char c : std::string(".XXXXXX"))
        temporary.push_back(c);
    temporary.push_back('\0');
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool written = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    return commitWorkFile(temporary.data(), path, written);
}

} // namespace vantrel
