#pragma once
#include "Cli.h"

#include "capture/Quobcpt.h"
#include "link/Quobio.h"
#include "link/Quobvtr.h"

#include <memory>
#include <string>

class QCoreApplication;

namespace vantrel::cli {

// The line, the transport and the capture object of a capture command: the device that
// --device, --port and --id name (else the settings), at the rate --rate names (else
// INIT/BAUD_RATE, else 38400 bit/s), with the rules of its model group.
struct CaptureSession {
    CQuobIO io;
    QuobVtr vtr{io};
    QuobCpt cpt{io, vtr};

    // False with `error` set when an option is wrong or the line does not open.
    bool open(const Arguments& args, std::string& error);
};

// The application object whose event loop serves the capture thread's messages; null when
// one exists already.
std::unique_ptr<QCoreApplication> eventApplication();

} // namespace vantrel::cli
