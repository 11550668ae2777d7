#pragma once
#include <string_view>

namespace vantrel {

// Whether `a` and `b` hold the same characters when ASCII letters are compared without
// regard to case (extensions, settings keys, style words).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace vantrel
