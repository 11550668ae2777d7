#pragma once
#include "link/QuobCommands.h"
#include "link/Quobio.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class QObject;

namespace vantrel {

class DefVtrCmd;
class QuobVtr;

// What an automatic capture run does from inside the status decode: one step per decoded
// status while the run is active, and a stop when the device is seen switched off.
class AutoCaptureHook {
public:
    virtual ~AutoCaptureHook() = default;
    virtual void step(QuobVtr& vtr) = 0;
    virtual void stop(QuobVtr& vtr) = 0;
};

// The tape transport of the selected device: transport commands, the status decode, and the
// state, power and time code that the windows show. Fields written by the poll thread and
// read by the window thread are atomic; the time code text is read through timeCodeText().
class QuobVtr {
public:
    explicit QuobVtr(CQuobIO& io);
    ~QuobVtr();
    QuobVtr(const QuobVtr&) = delete;
    QuobVtr& operator=(const QuobVtr&) = delete;

    void SetNotifyWindow(QObject* window);
    bool SetId(int id);
    void StartPolling();
    void StopPolling();
    bool Poll();
    bool DecodeStatus();
    bool SetState(uint8_t code, bool wait);
    bool Step(bool forward);
    bool ExtendedSense();
    bool PowerSense();
    // The line hung up: a running automatic capture ends, the device shows as off and gone,
    // and the notify window hears of it.
    void noteLineLost();

    // Sign character then hh:mm:ss:ff, twelve characters.
    std::string timeCodeText() const;
    bool autoCaptureRunning() const { return runningAutoCapture() != nullptr; }
    // The hook of a running automatic capture, or null.
    AutoCaptureHook* runningAutoCapture() const { return autoRunStarted ? autoCapture.load() : nullptr; }

    CQuobIO& io;
    std::atomic<int> deviceId{1};
    std::atomic<uint8_t> power{0};
    std::atomic<uint8_t> powerChanged{0};
    std::atomic<uint8_t> state{VtrState::Unknown};
    std::atomic<uint8_t> stateChanged{0};
    std::atomic<int> timeCode{0};
    std::atomic<uint8_t> timeCodeChanged{0};
    std::atomic<int> framesPerSecond{30};
    std::atomic<int> autoBasePosition{0};
    std::atomic<uint8_t> idle{0};
    std::atomic<uint8_t> variableSpeed{0};
    NoticeTarget notifyWindow;
    std::atomic<uint8_t> rawState{0};
    // Automatic capture (its run sets these; the decode only calls the hook).
    std::atomic<uint8_t> autoApproach{0};
    std::atomic<int> autoPreviousTimeCode{0};
    std::atomic<int> autoPicturesTaken{0};
    std::atomic<uint8_t> autoRunStarted{0};
    std::atomic<AutoCaptureHook*> autoCapture{nullptr};
    std::unique_ptr<DefVtrCmd> pollThread;

private:
    bool decodeTimeCode(const QuobPacket& answer);
    void setTimeCodeText(bool negative, int hours, int minutes, int seconds, int frames);
    bool waitUntilSettled();

    int stopsWaiting_ = 0; // StopPolling calls waiting for the thread, nested ones included
    mutable std::mutex textMutex_;
    std::array<char, 13> timeCodeText_{};
};

} // namespace vantrel
