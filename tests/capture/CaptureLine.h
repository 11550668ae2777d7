#pragma once
#include "Simulator.h"
#include "SptpSide.h"
#include "link/Quobio.h"

#include <memory>

namespace vantrel::test {

// The simulator with its SPTP side serving a pseudo-terminal, and the packet object opened on
// it in the control configuration.
struct CaptureLine {
    explicit CaptureLine(quobsim::SptpOptions options = {},
                         quobsim::DeviceSetup device = quobsim::camcorder(1),
                         quobsim::Options lineOptions = {});

    // Switches the device into SPTP the way a capture does, without the freeze.
    bool enterSptp();

    std::shared_ptr<quobsim::SptpSide> side;
    quobsim::Simulator sim;
    CQuobIO io;
    bool ready = false;
};

} // namespace vantrel::test
