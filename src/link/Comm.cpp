#include "Comm.h"

#include "link/ComPorts.h"
#include "platform/Ticks.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vantrel {

namespace {

constexpr uint32_t firstByteWaitMs = 50;
constexpr uint32_t perByteMs = 5;
constexpr uint32_t writeConstantMs = 50;
constexpr uint32_t pollSliceMs = 10;

struct RateRow {
    int bitsPerSecond;
    speed_t speed;
};

constexpr RateRow rates[] = {
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

const RateRow* rateRow(int bitsPerSecond)
{
    for (const auto& row : rates)
        if (row.bitsPerSecond == bitsPerSecond)
            return &row;
    return nullptr;
}

// Unix 98 pseudo-terminal slaves carry majors 136 to 143.
bool isPtySlave(int fd)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned majorNumber = major(info.st_rdev);
    return majorNumber >= 136 && majorNumber <= 143;
}

uint32_t remainingOf(uint32_t start, uint32_t total)
{
    const uint32_t elapsed = ticksSince(start);
    return elapsed >= total ? 0 : total - elapsed;
}

} // namespace

// The two line configurations: 8 data bits and 1 stop bit at 9600 bit/s, with odd parity for
// Quob commands and without it for picture transfer.
struct CComm::LineMode {
    bool oddParity;
    int readTimeoutMs;
};

namespace {
constexpr CComm::LineMode controlMode{true, 80};
constexpr CComm::LineMode transferMode{false, 2000};
} // namespace

CComm::~CComm()
{
    Close();
}

bool CComm::fail(int error)
{
    lastError = static_cast<uint32_t>(error);
    return false;
}

bool CComm::hangUp()
{
    lineLost_ = true;
    return fail(EIO);
}

// A read or write that fails with EIO finds the line hung up; any other error is only itself.
bool CComm::failOnLine(int error)
{
    return error == EIO ? hangUp() : fail(error);
}

bool CComm::Open(int portNumber)
{
    if (portNumber < 1 || portNumber > 4)
        return false;
    return OpenDevice(comPortPath(portNumber), portNumber);
}

bool CComm::OpenDevice(const std::string& path, int portNumber)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    int refusal = 0;
    if (!isatty(fd))
        refusal = ENOTTY;
    else if (ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0)
        refusal = errno;
    if (refusal == 0 && tcgetattr(fd, &lineSettings) != 0)
        refusal = errno;
    if (refusal != 0) {
        ::close(fd);
        return fail(refusal);
    }
    handle = fd;
    port = portNumber;
    devicePath = path;
    lineLost_ = false;
    return true;
}

void CComm::Close()
{
    if (handle >= 0) {
        // The exclusive flag stays on the tty while any other descriptor holds it open.
        ioctl(handle, TIOCNXCL);
        ::close(handle);
    }
    handle = -1;
    port = 0;
}

bool CComm::isPseudoTerminal() const
{
    return isOpen() && isPtySlave(handle);
}

int CComm::bitRate() const
{
    const speed_t speed = cfgetospeed(&lineSettings);
    for (const auto& row : rates)
        if (row.speed == speed)
            return row.bitsPerSecond;
    return 0;
}

bool CComm::SetControlMode()
{
    return applyMode(controlMode);
}

bool CComm::SetTransferMode()
{
    return applyMode(transferMode);
}

bool CComm::applyMode(const LineMode& mode)
{
    if (!isOpen())
        return false;
    termios wanted{};
    if (tcgetattr(handle, &wanted) != 0)
        return fail(errno);
    cfmakeraw(&wanted);
    wanted.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    wanted.c_cflag |= CS8 | CLOCAL | CREAD;
    if (mode.oddParity)
        wanted.c_cflag |= PARENB | PARODD;
    // Parity is generated on output; what arrives is taken as it is.
    wanted.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    wanted.c_iflag |= IGNPAR;
    // With O_NONBLOCK an empty queue reads as EAGAIN, and 0 means the other end hung up.
    wanted.c_cc[VMIN] = 1;
    wanted.c_cc[VTIME] = 0;
    cfsetispeed(&wanted, B9600);
    cfsetospeed(&wanted, B9600);
    if (!writeSettings(wanted))
        return false;
    raiseModemLines();
    return SetTimeouts(mode.readTimeoutMs);
}

// A pty has no parity: the kernel drops it, and may refuse a change that was only parity.
// There the framing that stuck is checked without it.
bool CComm::writeSettings(const termios& wanted)
{
    const bool pty = isPseudoTerminal();
    if (tcsetattr(handle, TCSANOW, &wanted) != 0) {
        const int error = errno;
        termios withoutParity = wanted;
        withoutParity.c_cflag &= ~(PARENB | PARODD);
        if (!pty || tcsetattr(handle, TCSANOW, &withoutParity) != 0)
            return fail(error);
    }
    termios actual{};
    if (tcgetattr(handle, &actual) != 0)
        return fail(errno);
    const bool sameFraming = cfgetospeed(&actual) == cfgetospeed(&wanted)
                             && (actual.c_cflag & CSIZE) == (wanted.c_cflag & CSIZE);
    const tcflag_t parityBits = PARENB | PARODD;
    const bool sameParity = (actual.c_cflag & parityBits) == (wanted.c_cflag & parityBits);
    if (!sameFraming || (!pty && !sameParity))
        return fail(EINVAL);
    lineSettings = actual;
    return true;
}

void CComm::raiseModemLines()
{
    // A pty has no modem lines and refuses this; a real port takes it.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(handle, TIOCMBIS, &lines) != 0 && !isPseudoTerminal())
        lastError = static_cast<uint32_t>(errno);
}

bool CComm::SetRate(int bitsPerSecond)
{
    if (!isOpen())
        return false;
    const RateRow* row = rateRow(bitsPerSecond);
    if (!row)
        return fail(EINVAL);
    termios wanted{};
    if (tcgetattr(handle, &wanted) != 0)
        return fail(errno);
    cfsetispeed(&wanted, row->speed);
    cfsetospeed(&wanted, row->speed);
    return writeSettings(wanted);
}

bool CComm::SetTimeouts(int readTimeoutMs)
{
    if (!isOpen() || readTimeoutMs < 0)
        return false;
    readTimeout = readTimeoutMs;
    return true;
}

bool CComm::Write(const uint8_t* buffer, size_t length)
{
    if (!isOpen() || !buffer)
        return false;
    if (lineLost_)
        return fail(EIO);
    clearQueues();
    const uint32_t start = tickCount();
    const uint32_t total = writeConstantMs + perByteMs * static_cast<uint32_t>(length);
    size_t written = 0;
    while (written < length) {
        const ssize_t n = ::write(handle, buffer + written, length - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return failOnLine(errno);
        const uint32_t left = remainingOf(start, total);
        if (left == 0)
            return fail(ETIMEDOUT);
        pollfd request{handle, POLLOUT, 0};
        ::poll(&request, 1, static_cast<int>(std::min(left, pollSliceMs)));
    }
    lastError = 0;
    return true;
}

bool CComm::waitForInput(uint32_t timeoutMs)
{
    const uint32_t start = tickCount();
    for (;;) {
        const uint32_t left = remainingOf(start, timeoutMs);
        pollfd request{handle, POLLIN, 0};
        const int ready = ::poll(&request, 1, static_cast<int>(std::min(left, pollSliceMs)));
        if (ready > 0 && (request.revents & POLLIN))
            return true;
        if (ready > 0 && (request.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return hangUp();
        if (ready < 0 && errno != EINTR)
            return fail(errno);
        if (left == 0)
            return fail(ETIMEDOUT);
        serviceEvents();
    }
}

bool CComm::readUntil(uint8_t* buffer, size_t length, uint32_t totalMs)
{
    const uint32_t start = tickCount();
    size_t got = 0;
    while (got < length) {
        const ssize_t n = ::read(handle, buffer + got, length - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            bytesRead = static_cast<uint32_t>(got);
            continue;
        }
        if (n == 0)
            return hangUp();
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return failOnLine(errno);
        const uint32_t left = remainingOf(start, totalMs);
        if (left == 0)
            return fail(ETIMEDOUT);
        pollfd request{handle, POLLIN, 0};
        ::poll(&request, 1, static_cast<int>(std::min(left, pollSliceMs)));
        if (request.revents & (POLLHUP | POLLERR | POLLNVAL))
            return hangUp();
        serviceEvents();
    }
    return true;
}

bool CComm::ReadExact(uint8_t* buffer, size_t length)
{
    bytesRead = 0;
    if (!isOpen() || !buffer)
        return false;
    if (lineLost_)
        return fail(EIO);
    if (!waitForInput(firstByteWaitMs))
        return false;
    const uint32_t total = static_cast<uint32_t>(readTimeout) + perByteMs * static_cast<uint32_t>(length);
    return readUntil(buffer, length, total);
}

bool CComm::ReadAvailable(uint8_t* buffer, size_t capacity)
{
    bytesRead = 0;
    if (!isOpen() || !buffer)
        return false;
    if (lineLost_)
        return fail(EIO);
    int queued = 0;
    if (ioctl(handle, FIONREAD, &queued) != 0)
        return failOnLine(errno);
    if (queued <= 0 || capacity == 0) {
        markHangUp();
        return false;
    }
    const size_t wanted = std::min(static_cast<size_t>(queued), capacity);
    const ssize_t n = ::read(handle, buffer, wanted);
    if (n > 0) {
        bytesRead = static_cast<uint32_t>(n);
        return true;
    }
    if (n == 0)
        hangUp();
    else
        failOnLine(errno);
    tcflush(handle, TCIFLUSH);
    return false;
}

// An empty queue and a line that has hung up look alike: a poll that does not wait tells them
// apart.
void CComm::markHangUp()
{
    pollfd request{handle, POLLIN, 0};
    if (::poll(&request, 1, 0) > 0 && (request.revents & (POLLHUP | POLLERR | POLLNVAL)))
        hangUp();
}

void CComm::Purge()
{
    if (isOpen())
        clearQueues();
}

// On a pty the output queue holds bytes already written to the other end, which the kernel
// hands over later, under load hundreds of milliseconds later; clearing it would lose a whole
// command. A serial port's output queue holds only what the wire has yet to carry.
void CComm::clearQueues()
{
    tcflush(handle, isPseudoTerminal() ? TCIFLUSH : TCIOFLUSH);
}

} // namespace vantrel
