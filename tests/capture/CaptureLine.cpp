#include "CaptureLine.h"

#include "capture/CaptureCommands.h"
#include "platform/Profile.h"

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

void CaptureLine::saveAsPort(const std::string& iniPath) const
{
    CProfile settings(iniPath);
    settings.WriteString("Ports", "COM1", sim.slavePath());
    settings.WriteInt("INIT", "COM", 1);
    settings.WriteInt("INIT", "ID", 1);
    settings.WriteInt("INIT", "BAUD_RATE", 3);
}

} // namespace vantrel::test
