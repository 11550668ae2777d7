#include "CaptureLine.h"

#include "capture/CaptureCommands.h"

namespace vantrel::test {

CaptureLine::CaptureLine(quobsim::SptpOptions options, quobsim::DeviceSetup device,
                         quobsim::Options lineOptions)
    : side(std::make_shared<quobsim::SptpSide>(std::move(options))),
      sim({device}, std::move(lineOptions))
{
    sim.setTransferMode(side);
    ready = sim.start() && io.OpenDevice(sim.slavePath()) && io.SetControlMode();
}

bool CaptureLine::enterSptp()
{
    io.SetCommand(1, CaptureCmd::Prepare);
    if (!io.Command(3))
        return false;
    io.SetCommand(CaptureCmd::AnnounceId, CaptureCmd::Announce);
    if (io.Transact() != 0)
        return false;
    io.SetCommand(1, CaptureCmd::EnterSptp);
    return io.Command(3) && io.SetTransferMode();
}

} // namespace vantrel::test
