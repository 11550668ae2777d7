#include "Line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vantrel::quobsim {

namespace {

constexpr int sliceMs = 10;
constexpr int bitsPerByte = 10;

bool makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool isSymlink(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

} // namespace

Line::~Line()
{
    close();
}

bool Line::open(const std::string& linkPath)
{
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char* name = master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0
                           ? ptsname(master_)
                           : nullptr;
    if (name)
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (!name || slave_ < 0 || !makeRaw(slave_) || !makeRaw(master_)) {
        error_ = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    slavePath_ = name;
    if (linkPath.empty())
        return true;
    if (exists(linkPath) && !isSymlink(linkPath)) {
        error_ = linkPath + " exists and is not a link";
        close();
        return false;
    }
    ::unlink(linkPath.c_str());
    if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
        error_ = "cannot link " + linkPath + ": " + std::strerror(errno);
        close();
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

void Line::close()
{
    if (!linkPath_.empty() && isSymlink(linkPath_))
        ::unlink(linkPath_.c_str());
    linkPath_.clear();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
    head_ = tail_ = 0;
}

Clock::duration Line::byteTime() const
{
    const int rate = std::max(1, rate_.load());
    return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(bitsPerByte)) / rate;
}

bool Line::fill(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!stopRequested() && master_ >= 0) {
        const ssize_t n = ::read(master_, buffer_, sizeof buffer_);
        if (n > 0) {
            head_ = 0;
            tail_ = static_cast<size_t>(n);
            arrival_ = Clock::now();
            return true;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            // No host has the slave open right now (or it just closed it): wait and retry.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd request{master_, POLLIN, 0};
        ::poll(&request, 1, static_cast<int>(std::min<long>(left.count(), sliceMs)));
    }
    return false;
}

bool Line::readByte(uint8_t& byte, int timeoutMs)
{
    if (head_ == tail_ && !fill(timeoutMs))
        return false;
    byte = buffer_[head_++];
    return true;
}

bool Line::readBytes(uint8_t* bytes, size_t count, int gapMs)
{
    for (size_t i = 0; i < count; ++i)
        if (!readByte(bytes[i], gapMs))
            return false;
    return true;
}

void Line::discardInput()
{
    head_ = tail_ = 0;
    if (master_ < 0)
        return;
    uint8_t scratch[256];
    while (::read(master_, scratch, sizeof scratch) > 0) {
    }
}

void Line::awaitReception(Clock::time_point firstByte, size_t count) const
{
    if (realtime_)
        std::this_thread::sleep_until(firstByte + byteTime() * static_cast<int>(count));
}

bool Line::writeNow(const uint8_t* bytes, size_t count)
{
    size_t written = 0;
    while (written < count) {
        if (stopRequested() || master_ < 0)
            return false;
        const ssize_t n = ::write(master_, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd request{master_, POLLOUT, 0};
        ::poll(&request, 1, sliceMs);
    }
    return true;
}

bool Line::write(const uint8_t* bytes, size_t count)
{
    if (!realtime_)
        return writeNow(bytes, count);
    // Each byte is handed over when its last bit would have arrived.
    auto due = Clock::now();
    for (size_t i = 0; i < count; ++i) {
        due += byteTime();
        std::this_thread::sleep_until(due);
        if (!writeNow(bytes + i, 1))
            return false;
    }
    return true;
}

} // namespace vantrel::quobsim
