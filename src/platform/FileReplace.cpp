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

// A target the user may not write is kept as it is, as one whose work file could not be opened.
bool writable(const std::string& path)
{
    return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
}

} // namespace

bool replaceFileThrough(const std::string& path, const WorkFileWriter& write)
{
    const std::string workFile = path + partSuffix;
    if (!writable(path))
        return false;
    // The writer makes the work file anew (a stale one, or a link in its place, goes first):
    // one emptied by opening it again would have the file system write it out on closing.
    const mode_t mode = modeFor(path);
    ::unlink(workFile.c_str());
    const bool written = write(workFile) && ::chmod(workFile.c_str(), mode) == 0;
    return commitWorkFile(workFile, path, written);
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
