#pragma once
#include <termios.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// One serial port over termios on a non-blocking descriptor. Reads wait in short slices and
// serve the calling thread's events between them, so a wait on the window thread keeps the
// windows alive.
class CComm {
public:
    CComm() = default;
    virtual ~CComm();
    CComm(const CComm&) = delete;
    CComm& operator=(const CComm&) = delete;

    // COM1 to COM4, mapped to a device path through comPortPath (ComPorts.h).
    bool Open(int portNumber);
    // Any tty path; `portNumber` is what the port field shows while it is open (0 for a path
    // that is not one of the four COM ports).
    bool OpenDevice(const std::string& path, int portNumber = 0);
    void Close();
    bool isOpen() const { return handle >= 0; }

    bool SetControlMode();  // 9600 bit/s, 8 data bits, odd parity, 1 stop bit, 80 ms
    bool SetTransferMode(); // 9600 bit/s, 8 data bits, no parity, 1 stop bit, 2000 ms
    bool SetRate(int bitsPerSecond);
    bool SetTimeouts(int readTimeoutMs);

    // Discards unread input and unsent output first.
    bool Write(const uint8_t* buffer, size_t length);
    // True when exactly `length` bytes arrived: the first within 50 ms, all of them within the
    // read time-out plus 5 ms a byte. `bytesRead` holds what did arrive.
    bool ReadExact(uint8_t* buffer, size_t length);
    // Reads what the input queue holds, at most `capacity` bytes; false when it is empty.
    bool ReadAvailable(uint8_t* buffer, size_t capacity);
    void Purge();

    int bitRate() const;
    bool isPseudoTerminal() const;

    // The line hung up: a read or a poll gave EIO or a hang-up (a USB adapter pulled out; on a
    // pty, the other end closed). Every exchange then fails at once, without touching the
    // device, until the port is opened again.
    bool lineLost() const { return lineLost_; }

    int port = 0;
    termios lineSettings{};
    std::atomic<uint32_t> lastError{0};
    uint32_t bytesRead = 0;
    int readTimeout = 0;
    int handle = -1;
    std::string devicePath;
    std::atomic<bool> lineLost_{false};

    struct LineMode; // framing and read time-out of one configuration

private:
    bool applyMode(const LineMode& mode);
    bool writeSettings(const termios& wanted);
    bool waitForInput(uint32_t timeoutMs);
    bool readUntil(uint8_t* buffer, size_t length, uint32_t totalMs);
    bool fail(int error);
    bool hangUp();
    bool failOnLine(int error);
    void markHangUp();
    void raiseModemLines();
    void clearQueues();
};

} // namespace vantrel
