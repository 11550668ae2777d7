#pragma once
#include "Cli.h"

#include <memory>
#include <string>

class QCoreApplication;

namespace vantrel {
class DeviceSession;
}

namespace vantrel::cli {

// Opens `session` for a capture command: the device that --device, --port and --id name
// (else the settings), at the rate --rate names (else INIT/BAUD_RATE, else 38400 bit/s), with
// the rules of its model group. False with `error` set when an option is wrong or the line
// does not open.
bool openCaptureSession(const Arguments& args, DeviceSession& session, std::string& error);

// The application object whose event loop serves the capture thread's messages; null when
// one exists already.
std::unique_ptr<QCoreApplication> eventApplication();

} // namespace vantrel::cli
