// vantrel-cli capture as a black box against the simulator.
#include "CaptureLine.h"

#include "support/TempFolder.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

using vantrel::test::CaptureLine;

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments, const std::string& home)
{
    QProcess process;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VANTREL_HOME", QString::fromStdString(home));
    process.setProcessEnvironment(environment);
    process.start(VANTREL_CLI_PATH, arguments);
    CliRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

TEST(CliCapture, WritesTheFileWhereOutputSaysAndPrintsTheTimeCode)
{
    vantrel::quobsim::SptpOptions options;
    options.layout = 7;
    CaptureLine line(options, vantrel::quobsim::camcorder(1, 25));
    ASSERT_TRUE(line.ready);
    line.sim.withDevice(1, [](vantrel::quobsim::Device& device) {
        device.tape.setPosition(((2 * 60 + 30) * 60 + 15) * 25 + 7, vantrel::quobsim::Clock::now());
    });
    line.io.Close(); // the command opens the line itself
    vantrel::test::TempFolder folder;
    const std::string output = folder.file("still.dvf");
    const CliRun run = runCli({"capture", "--device", QString::fromStdString(line.sim.slavePath()),
                            "--rate", "3", "-o", QString::fromStdString(output)},
                           folder.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), "outcome=0 timecode=02:30:15:07\n");
    EXPECT_TRUE(run.err.isEmpty()) << "no progress line when stderr is not a terminal";
}

TEST(CliCapture, FailureNamesTheOutcomeAndExitsNonZero)
{
    vantrel::quobsim::SptpOptions options;
    options.faults.noSignal = true;
    CaptureLine line(options);
    ASSERT_TRUE(line.ready);
    line.io.Close();
    vantrel::test::TempFolder folder;
    const CliRun run = runCli({"capture", "--device", QString::fromStdString(line.sim.slavePath()),
                            "-o", QString::fromStdString(folder.file("none.dvf"))},
                           folder.path());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("outcome 129 (the device reports no picture signal)"))
        << run.err.toStdString();

    const CliRun bad = runCli({"capture", "--rate", "4", "-o", "x.dvf"}, folder.path());
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.err.contains("--rate takes 0 to 3"));
}

TEST(CliCapture, HangUpDuringTheTransferEndsWithinASecondWithTheLineLost)
{
    vantrel::quobsim::SptpOptions options;
    options.faults.hangUpAt = 4;
    CaptureLine line(options);
    ASSERT_TRUE(line.ready);
    line.io.Close();
    vantrel::test::TempFolder folder;
    const std::string output = folder.file("none.dvf");
    const CliRun run = runCli({"capture", "--device", QString::fromStdString(line.sim.slavePath()), "-o",
                               QString::fromStdString(output)},
                              folder.path());
    const auto ended = vantrel::quobsim::Clock::now();
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err.toStdString(), "vantrel-cli: capture: the line was lost\n");
    ASSERT_TRUE(line.sim.hungUp());
    EXPECT_LT(ended - line.sim.hungUpAt(), std::chrono::seconds(1));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(output)));
}
