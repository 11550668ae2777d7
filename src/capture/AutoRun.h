#pragma once
#include "capture/AutoSettings.h"
#include "link/Quobvtr.h"

#include <atomic>
#include <cstdint>

namespace vantrel {

class QuobCpt;

// What a run needs from around it: the controller's transport command and capture, the
// album's count and the wait dialog with its Stop. The poll thread calls these from inside
// its step; the calls that reach windows return only when the window has done them.
class AutoRunHost {
public:
    virtual ~AutoRunHost() = default;
    // The controller's send transport command: no wait for completion, the lights at once.
    virtual bool sendTransport(uint8_t code) = 0;
    // The controller's capture of one picture into the album, a failure told to the user;
    // true when the picture was delivered.
    virtual bool capture() = 0;
    virtual int pictureCount() = 0;
    virtual bool waitShowing() = 0;
    // Shows the wait dialog with the run's title and its Stop button, no gauge.
    virtual void showWait() = 0;
    virtual void closeWait() = 0;
    // Set by Stop in the wait dialog, and by the run itself when the tape stops or the power goes.
    virtual std::atomic<bool>& abortFlag() = 0;
};

// True when a capture's outcome delivered a picture.
bool pictureDelivered(int outcome);

// An automatic capture run. Execute makes the first move (begin); the controller then marks
// the run active, and from then on the status-poll thread performs one step after each status
// it decodes: it steers the tape toward the next target with search, play and reverse search,
// arms itself for the final approach and captures the picture whose time code is the target.
// The run's counters are the transport object's automatic-capture fields.
class AutoRun : public AutoCaptureHook {
public:
    AutoRun(QuobVtr& vtr, AutoRunHost& host);
    ~AutoRun() override;
    AutoRun(const AutoRun&) = delete;
    AutoRun& operator=(const AutoRun&) = delete;

    // The first move of a run with `settings`; `framesPerSecond` is the dialog's copy.
    void begin(const AutoSettings& settings, int framesPerSecond);
    void activate();
    bool active() const { return vtr_.runningAutoCapture() == this; }
    // The move toward `target` that starts an approach: search, reverse search or play.
    void firstMove(int32_t target);

    void step(QuobVtr& vtr) override;
    void stop(QuobVtr& vtr) override;

    const AutoSettings& settings() const { return settings_; }

private:
    bool onPollThread() const;
    bool approach(int32_t target);
    bool approachInPlay(int32_t target, int32_t now, int32_t lead, int32_t runUp);
    void arm(uint32_t settleMs);
    bool captureAt(int32_t target);
    bool landOn(int32_t target);
    bool playUpTo(int32_t target);
    void intervalStep();
    void end();
    bool command(uint8_t code, uint32_t settleMs);
    void noteState(uint8_t code);

    QuobVtr& vtr_;
    AutoRunHost& host_;
    AutoSettings settings_;
    int framesPerSecond_ = 30;
    bool stepping_ = false;
};

// A run without windows (the command line, tests): commands and captures on the calling
// thread, the wait dialog a flag.
class PlainAutoHost : public AutoRunHost {
public:
    PlainAutoHost(QuobVtr& vtr, QuobCpt& cpt) : vtr_(vtr), cpt_(cpt) {}

    bool sendTransport(uint8_t code) override;
    bool capture() override;
    int pictureCount() override;
    bool waitShowing() override { return waitShown_; }
    void showWait() override { waitShown_ = true; }
    void closeWait() override { waitShown_ = false; }
    std::atomic<bool>& abortFlag() override { return abort_; }

    std::atomic<int> lastOutcome{0};

private:
    QuobVtr& vtr_;
    QuobCpt& cpt_;
    std::atomic<bool> waitShown_{false};
    std::atomic<bool> abort_{false};
};

} // namespace vantrel
