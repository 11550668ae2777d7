#include "Version.h"

namespace vantrel {

const char* programVersion()
{
    return VANTREL_VERSION;
}

} // namespace vantrel
