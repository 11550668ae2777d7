#pragma once
#include <cstdint>
#include <functional>

namespace vantrel::test {

// Serves the test thread's events until `done` holds or `limitMs` passed; false on time-out.
// Checks of what another thread does (the simulator's) wait for it here instead of sleeping.
bool serveUntil(const std::function<bool()>& done, uint32_t limitMs = 5000);

} // namespace vantrel::test
