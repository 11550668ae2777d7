#pragma once
#include "Cli.h"

#include <string>

namespace vantrel {
class CQuobIO;
class DeviceSession;
}

namespace vantrel::cli {

// The line options every device command shares (defined with the link commands).
// Opens the line named by --device or --port (else INIT/COM of wyb30.ini) in the control
// configuration.
bool openLine(const Arguments& arguments, CQuobIO& io, std::string& error);
// --id, else INIT/ID of wyb30.ini, else 1.
bool deviceIdOf(const Arguments& arguments, int& id, std::string& error);
// The session on the line the options name, addressed to the device they name; false with
// `error` set when an option is wrong or the line does not open.
bool openSession(const Arguments& arguments, DeviceSession& session, std::string& error);

// What a command says when its line hung up (an adapter pulled out).
constexpr const char* lineLostText = "the line was lost";
// "WHAT: the line was lost" when the line hung up, else `otherwise`.
std::string lineFailure(const std::string& what, const CQuobIO& io, const std::string& otherwise);

} // namespace vantrel::cli
