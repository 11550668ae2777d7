#include "PixelLanes.h"

namespace vantrel {

bool hasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

} // namespace vantrel
