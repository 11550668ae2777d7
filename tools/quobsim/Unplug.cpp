// The simulated adapter pulled out and plugged back in.
#include "Simulator.h"

namespace vantrel::quobsim {

// Counts the packets of a planned hang-up; true when this one is where the plug is pulled.
bool Simulator::hangsUpNow()
{
    int left = hangUpCountdown_;
    if (left <= 0 || !hangUpCountdown_.compare_exchange_strong(left, left - 1) || left != 1)
        return false;
    line_.requestHangUp();
    return true;
}

// On the serving thread, which alone reads the line: both ends close, the link goes.
void Simulator::pullPlug()
{
    line_.close();
    hungUpAt_ = Clock::now().time_since_epoch().count();
    hungUp_ = true;
}

Clock::time_point Simulator::hungUpAt() const
{
    return Clock::time_point(Clock::duration(hungUpAt_.load()));
}

bool Simulator::comeBack()
{
    if (thread_.joinable()) {
        if (!hungUp_)
            return true; // it never went away
        thread_.join();
    }
    hungUp_ = false;
    return start();
}

} // namespace vantrel::quobsim
