#pragma once
#include "Simulator.h"
#include "SptpSide.h"
#include "link/Quobio.h"

#include <memory>
#include <string>

namespace vantrel::test {

// The simulator with its SPTP side serving a pseudo-terminal, and the packet object opened on
// it in the control configuration.
struct CaptureLine {
    explicit CaptureLine(quobsim::SptpOptions options = {},
                         quobsim::DeviceSetup device = quobsim::camcorder(1),
                         quobsim::Options lineOptions = {});

    // Switches the device into SPTP the way a capture does, without the freeze.
    bool enterSptp();
    // Makes this line COM1 in the settings file at `iniPath`, with device 1 on it as the saved
    // device and the fastest transfer rate.
    void saveAsPort(const std::string& iniPath) const;

    std::shared_ptr<quobsim::SptpSide> side;
    quobsim::Simulator sim;
    CQuobIO io;
    bool ready = false;
};

} // namespace vantrel::test
