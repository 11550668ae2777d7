#pragma once

namespace vantrel {

// The program's version as the build gives it ("3.0.0.1"), the same for every executable.
const char* programVersion();

} // namespace vantrel
