#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::quobsim {

using Clock = std::chrono::steady_clock;

// The device's end of the serial line: the master side of a pseudo-terminal. The simulator
// keeps a descriptor of the slave open itself, so hosts may open and close the slave path as
// often as they like. In realtime mode every byte written takes its 10 bit times at the
// current rate, and awaitReception holds a reply back until the host's bytes would have
// arrived at that rate.
class Line {
public:
    Line() = default;
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Creates the pseudo-terminal; with a link path, a symbolic link to the slave is made
    // there (replacing an older link, never a file).
    bool open(const std::string& linkPath = {});
    void close();
    bool isOpen() const { return master_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }
    const std::string& error() const { return error_; }

    // One byte from the host, waiting at most `timeoutMs`; false on time-out, on a stop
    // request or a dead line.
    bool readByte(uint8_t& byte, int timeoutMs);
    // Exactly `count` bytes, none more than `gapMs` after the one before.
    bool readBytes(uint8_t* bytes, size_t count, int gapMs);
    // When the chunk holding the last byte read arrived.
    Clock::time_point lastArrival() const { return arrival_; }
    // Drops everything the host sent that was not read yet.
    void discardInput();

    // Writes all bytes, paced in realtime mode. False when the line is dead or a stop was asked.
    bool write(const uint8_t* bytes, size_t count);
    bool write(const std::vector<uint8_t>& bytes) { return write(bytes.data(), bytes.size()); }
    // In realtime mode, waits until `count` bytes whose first arrived at `firstByte` would be
    // complete at the current rate.
    void awaitReception(Clock::time_point firstByte, size_t count) const;

    void setRate(int bitsPerSecond) { rate_ = bitsPerSecond; }
    int rate() const { return rate_; }
    void setRealtime(bool on) { realtime_ = on; }
    bool realtime() const { return realtime_; }
    // Ten bits (start, eight data, stop; parity ignored) at the current rate.
    Clock::duration byteTime() const;

    void requestStop() { stop_ = true; }
    void clearStop() { stop_ = false; hangUp_ = false; }
    // True when the serving should end: a stop, or a hang-up asked for.
    bool stopRequested() const { return stop_ || hangUp_; }
    // Asks the serving thread to pull the plug: it closes the line (both ends of the pty it
    // holds, and the link), so the host's reads fail as after a USB adapter was pulled out.
    void requestHangUp() { hangUp_ = true; }
    bool hangUpRequested() const { return hangUp_; }

private:
    bool fill(int timeoutMs);
    bool writeNow(const uint8_t* bytes, size_t count);

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    std::string error_;
    std::atomic<int> rate_{9600};
    std::atomic<bool> realtime_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> hangUp_{false};
    uint8_t buffer_[1024] = {};
    size_t head_ = 0;
    size_t tail_ = 0;
    Clock::time_point arrival_{};
};

} // namespace vantrel::quobsim
