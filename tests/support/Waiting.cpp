#include "Waiting.h"

#include "platform/Ticks.h"

namespace vantrel::test {

bool serveUntil(const std::function<bool()>& done, uint32_t limitMs)
{
    const uint32_t start = tickCount();
    while (!done()) {
        if (ticksSince(start) > limitMs)
            return false;
        Delay(5);
    }
    return true;
}

} // namespace vantrel::test
