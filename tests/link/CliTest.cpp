// vantrel-cli's link commands and the quobsim command, run as programs against the simulator.
#include "SimulatedLine.h"
#include "platform/Profile.h"
#include "support/TempFolder.h"

#include <sys/mount.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vantrel;
using vantrel::quobsim::Device;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;

namespace {

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

QString programPath(const char* name)
{
    return QCoreApplication::applicationDirPath() + "/" + name;
}

ProgramRun runProgram(const char* name, const QStringList& arguments)
{
    QProcess process;
    process.start(programPath(name), arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The simulator in this process and vantrel-cli in another, with a program folder of its own.
struct CliBench {
    explicit CliBench(std::vector<quobsim::DeviceSetup> devices = {quobsim::camcorder(1)}) : sim(std::move(devices))
    {
        ready = sim.start();
    }
    ProgramRun cli(QStringList arguments)
    {
        arguments << "--device" << QString::fromStdString(sim.slavePath());
        return runProgram("vantrel-cli", arguments);
    }
    test::TempProgramFolder folder;
    quobsim::Simulator sim;
    bool ready = false;
};

quobsim::DeviceSetup palAt(int id, int64_t position)
{
    auto setup = quobsim::camcorder(id, 25);
    setup.position = position;
    return setup;
}

} // namespace

TEST(CliPorts, ListsTheComPortsTheSettingsName)
{
    test::TempProgramFolder folder;
    CProfile().WriteString("Ports", "COM3", "/dev/vantrel-no-such-adapter");
    const ProgramRun run = runProgram("vantrel-cli", {"ports"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.endsWith("COM3\t/dev/vantrel-no-such-adapter\t(set in wyb30.ini)\n")) << run.out.toStdString();
}

TEST(CliScan, FindsEveryDeviceOnTheLine)
{
    auto player = quobsim::camcorder(12);
    deviceOfKind("vcp", 12, player);
    player.powered = false; // the scan's probe switches it on
    CliBench bench({quobsim::camcorder(1), quobsim::deck(5), player});
    ASSERT_TRUE(bench.ready);
    const ProgramRun run = bench.cli({"scan"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "01\tMOVIE\tCAMCORDER\n05\tVCR\tDECK\n12\tVCP\tPLAYER\n");
}

TEST(CliStatus, PrintsStatePowerRateAndCounter)
{
    CliBench bench({palAt(1, 93079)});
    ASSERT_TRUE(bench.ready);
    const ProgramRun run = bench.cli({"status"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "state=1 power=1 fps=25 timecode= 01:02:03:04\n");
}

TEST(CliTransport, MotionsStepAndPowerReachTheDevice)
{
    CliBench bench({palAt(1, 5000)});
    ASSERT_TRUE(bench.ready);
    auto motion = [&] {
        quobsim::Motion m{};
        bench.sim.withDevice(1, [&](Device& d) { m = d.tape.motion(quobsim::Clock::now()); });
        return m;
    };
    const std::pair<const char*, quobsim::Motion> motions[] = {
        {"play", quobsim::Motion::Play},          {"pause", quobsim::Motion::Pause},
        {"ff", quobsim::Motion::FastForward},     {"rew", quobsim::Motion::Rewind},
        {"slow", quobsim::Motion::SlowForward},   {"slowrev", quobsim::Motion::SlowReverse},
        {"search", quobsim::Motion::SearchForward}, {"searchrev", quobsim::Motion::SearchReverse},
        {"revplay", quobsim::Motion::ReversePlay}, {"stop", quobsim::Motion::Stop},
    };
    for (const auto& [word, expected] : motions) {
        const ProgramRun run = bench.cli({"transport", word});
        EXPECT_EQ(run.status, 0) << word << run.err.toStdString();
        EXPECT_EQ(motion(), expected) << word;
    }
    ASSERT_EQ(bench.cli({"transport", "searchrev"}).status, 0);
    const ProgramRun moving = bench.cli({"status"});
    EXPECT_TRUE(moving.out.startsWith("state=39 power=1 fps=25 ")) << moving.out.toStdString();

    ASSERT_EQ(bench.cli({"transport", "pause"}).status, 0);
    int64_t before = 0;
    bench.sim.withDevice(1, [&](Device& d) { before = d.tape.position(quobsim::Clock::now()); });
    EXPECT_EQ(bench.cli({"step", "fwd"}).status, 0);
    EXPECT_EQ(bench.cli({"step", "fwd"}).status, 0);
    EXPECT_EQ(bench.cli({"step", "rev"}).status, 0);
    int64_t after = 0;
    bench.sim.withDevice(1, [&](Device& d) { after = d.tape.position(quobsim::Clock::now()); });
    EXPECT_EQ(after, before + 1);

    EXPECT_EQ(bench.cli({"power", "off"}).status, 0);
    EXPECT_TRUE(bench.cli({"status"}).out.startsWith("state=15 power=0 "));
    EXPECT_EQ(bench.cli({"power", "on"}).status, 0);
    EXPECT_TRUE(bench.cli({"status"}).out.contains(" power=1 "));
}

TEST(CliSetId, DeviceMovesToItsNewIdAndTheOldOneFallsSilent)
{
    CliBench bench;
    ASSERT_TRUE(bench.ready);
    EXPECT_EQ(bench.cli({"set-id", "1", "7"}).status, 0);
    EXPECT_EQ(bench.cli({"status", "--id", "7"}).status, 0);
    const ProgramRun old = bench.cli({"status", "--id", "1"});
    EXPECT_NE(old.status, 0);
    EXPECT_TRUE(old.err.contains("exchange result 3")) << old.err.toStdString();
    EXPECT_EQ(old.err.count('\n'), 1); // one line
}

TEST(CliFailures, ClearLinesAndNonZeroStatus)
{
    CliBench bench({quobsim::camcorder(1), quobsim::deck(5)});
    ASSERT_TRUE(bench.ready);
    bench.sim.withDevice(5, [](Device& d) { d.setFault({Fault::Refuse}); });
    const ProgramRun refused = bench.cli({"transport", "play", "--id", "5"});
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("completion code 1")) << refused.err.toStdString();
    bench.sim.withDevice(1, [](Device& d) { d.setFault({Fault::BadChecksum}); });
    const ProgramRun garbled = bench.cli({"status"});
    EXPECT_NE(garbled.status, 0);
    EXPECT_TRUE(garbled.err.contains("exchange result 5")) << garbled.err.toStdString();

    for (const QStringList& arguments : {QStringList{"transport", "wibble"}, QStringList{"step", "up"},
                                         QStringList{"power"}, QStringList{"set-id", "1", "100"},
                                         QStringList{"status", "--id", "0"}}) {
        const ProgramRun run = bench.cli(arguments);
        EXPECT_NE(run.status, 0) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << arguments.join(' ').toStdString();
    }
    const ProgramRun missing = runProgram("vantrel-cli", {"status", "--device", "/nonexistent/tty"});
    EXPECT_NE(missing.status, 0);
    EXPECT_TRUE(missing.err.contains("/nonexistent/tty is not there")) << missing.err.toStdString();
    const ProgramRun noLine = runProgram("vantrel-cli", {"status"});
    EXPECT_NE(noLine.status, 0);
    EXPECT_TRUE(noLine.err.contains("--device PATH or --port N"));
}

TEST(CliDefaults, PortAndIdComeFromTheSettingsFile)
{
    CliBench bench({quobsim::camcorder(1), palAt(5, 93079)});
    ASSERT_TRUE(bench.ready);
    CProfile profile;
    profile.WriteString("Ports", "COM2", bench.sim.slavePath());
    profile.WriteInt("INIT", "COM", 2);
    profile.WriteInt("INIT", "ID", 5);
    const ProgramRun run = runProgram("vantrel-cli", {"status"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("timecode= 01:02:03:04\n")) << run.out.toStdString();
    for (const char* command : {"ports", "scan", "status", "transport", "step", "power", "set-id"})
        EXPECT_EQ(runProgram("vantrel-cli", {command, "--help"}).status, 0) << command;
}

TEST(QuobsimCommand, ServesItsDevicesUnderAStableNameWithFaults)
{
    test::TempProgramFolder folder;
    const QString link = QString::fromStdString(folder.file("quob0"));
    QProcess simulator;
    simulator.start(programPath("quobsim"),
                    {"--link", link, "--device", "3:deck:MYDECK:pal", "--device", "4:camcorder",
                     "--fault", "4:silence"});
    ASSERT_TRUE(simulator.waitForReadyRead(5000));
    EXPECT_TRUE(QString::fromUtf8(simulator.readAllStandardOutput()).contains(link));
    ASSERT_TRUE(QFileInfo(link).isSymLink());

    const ProgramRun deck = runProgram("vantrel-cli", {"status", "--device", link, "--id", "3"});
    EXPECT_EQ(deck.status, 0) << deck.err.toStdString();
    EXPECT_TRUE(deck.out.contains("fps=25"));
    const ProgramRun silent = runProgram("vantrel-cli", {"status", "--device", link, "--id", "4"});
    EXPECT_NE(silent.status, 0);
    EXPECT_TRUE(silent.err.contains("exchange result 3"));

    simulator.terminate();
    ASSERT_TRUE(simulator.waitForFinished(5000));
    EXPECT_EQ(simulator.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link)); // the link goes with the simulator
    EXPECT_NE(runProgram("quobsim", {"--device", "0:deck"}).status, 0);
}

namespace {

// A small file system mounted over a folder for the length of a test, filled to the last byte
// by `fill()`. Mounting needs the right to mount; `mounted` says whether it was granted.
class FullDisk {
public:
    explicit FullDisk(const std::string& folder) : folder_(folder)
    {
        mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk()
    {
        if (mounted)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    void fill() const
    {
        std::FILE* filler = std::fopen((folder_ + "/filler").c_str(), "wb");
        const std::string chunk(512, 'x');
        while (filler && std::fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size()
               && std::fflush(filler) == 0) {
        }
        if (filler)
            std::fclose(filler);
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }
    bool mounted = false;

private:
    std::string folder_;
};

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(CliSetting, AWriteOnAFullDiskLeavesTheSettingsFileAsItWas)
{
    test::TempProgramFolder folder;
    FullDisk disk(folder.path());
    if (!disk.mounted)
        GTEST_SKIP() << "no right to mount a small file system here";
    const std::string ini = folder.file("wyb30.ini");
    const std::string before = "[INIT]\r\nCOM=1\r\nBAUD_RATE=2\r\n[Ports]\r\nCOM1=/dev/ttyS0\r\n";
    std::ofstream(ini, std::ios::binary) << before;
    disk.fill();
    const std::string longValue(16 * 1024, 'v'); // more than the disk has left

    CProfile profile(ini);
    EXPECT_FALSE(profile.WriteString("Ports", "COM1", longValue));
    EXPECT_FALSE(profile.WriteInt("INIT", "COM", 1234567890));
    const ProgramRun run = runProgram("vantrel-cli", {"setting", "Ports", "COM1",
                                                      QString::fromStdString(longValue)});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("cannot write")) << run.err.toStdString();

    EXPECT_EQ(bytesOf(ini), before);
    EXPECT_EQ(disk.names(), (std::vector<std::string>{"filler", "wyb30.ini"})) << "no work file left";
    std::string value;
    EXPECT_TRUE(profile.ReadString("Ports", "COM1", value) && value == "/dev/ttyS0");
}
