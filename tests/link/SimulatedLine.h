#pragma once
#include "Simulator.h"
#include "link/Quobio.h"

#include <QObject>
#include <vector>

namespace vantrel::test {

// The simulator serving a pseudo-terminal, and the packet object opened on it in the
// control configuration.
struct SimulatedLine {
    explicit SimulatedLine(std::vector<quobsim::DeviceSetup> devices = {quobsim::camcorder(1)},
                           quobsim::Options options = {})
        : sim(std::move(devices), std::move(options))
    {
        ready = sim.start() && io.OpenDevice(sim.slavePath()) && io.SetControlMode();
    }

    void setFault(int id, quobsim::FaultPlan plan)
    {
        sim.withDevice(id, [&](quobsim::Device& device) { device.setFault(plan); });
    }

    quobsim::Simulator sim;
    CQuobIO io;
    bool ready = false;
};

// Collects the window messages posted to it.
class MessageRecorder : public QObject {
public:
    struct Message {
        int number;
        intptr_t wParam;
        intptr_t lParam;
    };
    bool event(QEvent* event) override;
    std::vector<Message> messages;
};

// Serves the test thread's events until nothing more arrives.
void deliverPosted();

} // namespace vantrel::test
