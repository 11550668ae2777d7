#include "Defvtrcmd.h"

#include "link/LinkFlags.h"
#include "link/Quobvtr.h"
#include "platform/Sync.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

namespace vantrel {

namespace {

constexpr int senseAfterPolls = 30; // a sense runs on the 31st poll in a row

// Counts polls in a row for which `condition` held; true when the count passes the limit.
bool countedPast(bool condition, int& count)
{
    if (!condition) {
        count = 0;
        return false;
    }
    if (++count <= senseAfterPolls)
        return false;
    count = 0;
    return true;
}

// True when the last status answer put the tape into a variable-speed motion it was not in
// before (stop or pause to play, play to reverse play); remembers the answer's state.
bool enteredVariableSpeed(const QuobVtr& vtr, uint8_t& lastRawState)
{
    const uint8_t raw = vtr.rawState;
    const bool entered = vtr.variableSpeed && raw != lastRawState;
    lastRawState = raw;
    return entered;
}

} // namespace

DefVtrCmd::DefVtrCmd(QuobVtr& vtr) : vtr_(vtr) {}

DefVtrCmd::~DefVtrCmd()
{
    linkFlags().pollStopRequest = true;
    waitForThread(this);
}

void DefVtrCmd::run()
{
    LinkFlags& flags = linkFlags();
    flags.pollRunning = true;
    int idlePolls = 0;
    int variablePolls = 0;
    uint8_t lastRawState = 0; // none yet: a tape found playing is sensed on the first poll
    while (!flags.pollStopRequest) {
        // A dead line is not polled again: the owner reopens it.
        if (vtr_.io.lineLost()) {
            vtr_.noteLineLost();
            break;
        }
        bool entered = false;
        if (flags.commandLock) {
            while (flags.commandLock && !flags.pollStopRequest)
                Delay(1);
        } else {
            vtr_.Poll();
            entered = enteredVariableSpeed(vtr_, lastRawState);
        }
        if (countedPast(vtr_.idle != 0, idlePolls))
            vtr_.PowerSense();
        // The status answer says only "moving"; which speed it is the variable-speed sense
        // tells. Asked at once when the motion begins, the light follows within one poll;
        // while it lasts, a change of speed is found on every 31st poll.
        if (countedPast(vtr_.variableSpeed != 0, variablePolls) || entered) {
            variablePolls = 0;
            vtr_.ExtendedSense();
        }
        const bool changed = vtr_.powerChanged || vtr_.timeCodeChanged || vtr_.stateChanged;
        if (changed)
            vtr_.notifyWindow.post(Msg::StatusChanged);
        serviceEvents();
    }
    flags.pollRunning = false;
}

} // namespace vantrel
