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
    while (!flags.pollStopRequest) {
        if (flags.commandLock) {
            while (flags.commandLock && !flags.pollStopRequest)
                Delay(1);
        } else {
            vtr_.Poll();
        }
        if (countedPast(vtr_.idle != 0, idlePolls))
            vtr_.PowerSense();
        if (countedPast(vtr_.variableSpeed != 0, variablePolls))
            vtr_.ExtendedSense();
        const bool changed = vtr_.powerChanged || vtr_.timeCodeChanged || vtr_.stateChanged;
        if (changed)
            vtr_.notifyWindow.post(Msg::StatusChanged);
        serviceEvents();
    }
    flags.pollRunning = false;
}

} // namespace vantrel
