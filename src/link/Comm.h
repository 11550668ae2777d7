#pragma once
#include <termios.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// The device path of COM1 to COM4: section "Ports" of wyb30.ini, keys "COM1" to "COM4",
// /dev/ttyS0 to /dev/ttyS3 when a key is missing. Empty for any other number.
std::string comPortPath(int port);

// One serial port over termios on a non-blocking descriptor. Reads wait in short slices and
// serve the calling thread's events between them, so a wait on the window thread keeps the
// windows alive.
class CComm {
public:
    CComm() = default;
    virtual ~CComm();
    CComm(const CComm&) = delete;
    CComm& operator=(const CComm&) = delete;

    // COM1 to COM4, mapped to a device path through comPortPath.
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

    int port = 0;
    termios lineSettings{};
    std::atomic<uint32_t> lastError{0};
    uint32_t bytesRead = 0;
    int readTimeout = 0;
    int handle = -1;
    std::string devicePath;

    struct LineMode; // framing and read time-out of one configuration

private:
    bool applyMode(const LineMode& mode);
    bool writeSettings(const termios& wanted);
    bool waitForInput(uint32_t timeoutMs);
    bool readUntil(uint8_t* buffer, size_t length, uint32_t totalMs);
    bool fail(int error);
    void raiseModemLines();
    void clearQueues();
};

} // namespace vantrel
