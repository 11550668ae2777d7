#pragma once
#include "Device.h"
#include "Line.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vantrel::quobsim {

class Simulator;

// The extension point for a second protocol on the same line (the picture transfer). The
// simulator offers every Quob command to the installed mode before its own table; a mode that
// answers a command and sets `enter` gets the line after that answer went out, and keeps it
// until serve returns. The line is then back at 9600 bit/s in Quob.
class TransferMode {
public:
    virtual ~TransferMode() = default;
    // Called with the simulator's lock held. Return an answer to take the command.
    virtual std::optional<Answer> quobCommand(Device& device, const Command& command, bool& enter) = 0;
    // A command to IDs 100 to 127 (no answer goes out), with the lock held.
    virtual void quobBroadcast(Device& /*device*/, const Command& /*command*/) {}
    // Serves the line on the simulator's thread, without the lock (take it with
    // simulator.lock() to touch a device). Return when the device has left the mode, when
    // the line dies or when simulator.line().stopRequested().
    virtual void serve(Simulator& simulator, Device& device) = 0;
};

struct Options {
    bool realtime = false;  // pace bytes at the line's bit rate
    std::string linkPath;   // a stable name for the slave, made as a symbolic link
};

// One packet the simulator took off the line, and when it was complete.
struct Received {
    Packet packet;
    Clock::time_point at;
    bool checksumGood;
};

// Quob devices on a pseudo-terminal, served on a thread of their own.
class Simulator {
public:
    explicit Simulator(std::vector<DeviceSetup> devices = {camcorder()}, Options options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool start();
    void stop();
    bool running() const { return thread_.joinable(); }
    const std::string& slavePath() const { return line_.slavePath(); }
    const std::string& error() const { return line_.error(); }
    Line& line() { return line_; }

    void setTransferMode(std::shared_ptr<TransferMode> mode);

    // The adapter pulled out (Unplug.cpp): the serving thread closes the line and its link at
    // once, or, after hangUpAfter(n), in place of answering the n-th packet from now. The
    // host's reads then fail as on a real unplug.
    void hangUp() { line_.requestHangUp(); }
    void hangUpAfter(int packets) { hangUpCountdown_ = packets; }
    bool hungUp() const { return hungUp_; }
    // When the line was closed by a hang-up.
    Clock::time_point hungUpAt() const;
    // Plugged back in: a new pseudo-terminal at the same link path, served as before.
    bool comeBack();

    // Guards the devices and the log against the serving thread.
    std::unique_lock<std::mutex> lock() { return std::unique_lock(mutex_); }
    // The device that answers `id` now, or nullptr. Hold lock() while using it.
    Device* device(int id);
    // Runs `change` on the device under the lock; false when no device has that ID.
    template <class F>
    bool withDevice(int id, F&& change)
    {
        auto held = lock();
        Device* found = device(id);
        if (found)
            change(*found);
        return found != nullptr;
    }

    // Packets received so far (the newest 4096), and how many began with the given bytes.
    std::vector<Received> received();
    int countReceived(std::initializer_list<uint8_t> commandStart);
    // Quob packets that came broken: stray bytes, a packet cut short, a wrong checksum.
    int malformedPackets() const { return malformed_; }
    void clearLog();

private:
    void serve();
    static void answerPromptly(std::thread& thread);
    bool readPacket(Packet& packet, Clock::time_point& firstByte);
    void handle(const Packet& packet, Clock::time_point firstByte);
    std::vector<uint8_t> frame(Device& device, const Packet& received, Answer answer);
    void log(const Packet& packet, bool checksumGood);
    bool hangsUpNow();
    void pullPlug();

    Line line_;
    Options options_;
    std::vector<std::unique_ptr<Device>> devices_;
    std::shared_ptr<TransferMode> transferMode_;
    std::mutex mutex_;
    std::deque<Received> log_;
    std::thread thread_;
    unsigned noise_ = 0x2545F491u;
    std::atomic<int> malformed_{0};
    bool straying_ = false;
    std::atomic<int> hangUpCountdown_{0};
    std::atomic<bool> hungUp_{false};
    std::atomic<Clock::rep> hungUpAt_{0};
};

// The checksum of a Quob packet: bytes 0 to 9 summed, negated, low seven bits.
uint8_t packetChecksum(const Packet& packet);

} // namespace vantrel::quobsim
