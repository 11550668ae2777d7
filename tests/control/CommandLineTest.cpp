#include "control/CommandLine.h"
#include "platform/Version.h"
#include "support/CliRun.h"

#include <gtest/gtest.h>

using namespace vantrel;
using Kind = ProgramRequest::Kind;

TEST(ProgramArguments, OptionsFilesAndTheEndOfOptions)
{
    struct Row {
        std::vector<std::string> arguments;
        Kind kind;
        std::vector<std::string> files;
        std::string wrongOption;
    };
    const Row rows[] = {
        {{}, Kind::openWindow, {}, ""},
        {{"a.zal", "b.dvf"}, Kind::openWindow, {"a.zal", "b.dvf"}, ""},
        {{"--help"}, Kind::printHelp, {}, ""},
        {{"-h"}, Kind::printHelp, {}, ""},
        {{"a.zal", "--version"}, Kind::printVersion, {"a.zal"}, ""},
        {{"--version", "--help"}, Kind::printVersion, {}, ""},
        {{"--hlep"}, Kind::wrongOption, {}, "--hlep"},
        {{"a.zal", "-x", "--help"}, Kind::wrongOption, {"a.zal"}, "-x"},
        {{"--", "--help", "-odd.dvf"}, Kind::openWindow, {"--help", "-odd.dvf"}, ""},
        {{"-", "a.zal", "--", "--"}, Kind::openWindow, {"-", "a.zal", "--"}, ""},
    };
    for (const Row& row : rows) {
        const ProgramRequest request = readProgramArguments(row.arguments);
        const std::string line = ::testing::PrintToString(row.arguments);
        EXPECT_EQ(request.kind, row.kind) << line;
        EXPECT_EQ(request.files, row.files) << line;
        EXPECT_EQ(request.wrongOption, row.wrongOption) << line;
    }
}

// The programs themselves, on a machine without a display: the window program must answer
// its options before it would need one.
TEST(ProgramArguments, AnsweredWithoutADisplay)
{
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.remove("DISPLAY");
    noDisplay.remove("WAYLAND_DISPLAY");
    noDisplay.insert("QT_QPA_PLATFORM", "xcb");
    const std::string version = programVersion();
    struct Row {
        const char* program;
        QStringList arguments;
        int status;
        std::string out; // the start of standard output
        std::string err; // the whole of standard error
    };
    const Row rows[] = {
        {"vantrel", {"--help"}, 0, "usage: vantrel [--] [FILE...]\n", ""},
        {"vantrel", {"a.zal", "-h"}, 0, "usage: vantrel", ""},
        {"vantrel", {"--version"}, 0, "vantrel " + version + "\n", ""},
        {"vantrel", {"--frobnicate", "a.zal"}, 2, "", "vantrel: unknown option '--frobnicate' (try vantrel --help)\n"},
        {"vantrel-cli", {"--version"}, 0, "vantrel-cli " + version + "\n", ""},
        {"vantrel-cli", {}, 2, "usage: vantrel-cli COMMAND", ""},
        {"vantrel-cli", {"frobnicate"}, 2, "", "vantrel-cli: unknown command 'frobnicate' (try --help)\n"},
        {"vantrel-cli", {"info", "--help"}, 0, "usage: vantrel-cli info FILE.dvf\n", ""},
        {"quobsim", {"--version"}, 0, "quobsim " + version + "\n", ""},
    };
    for (const Row& row : rows) {
        const test::CliRun run = test::runCli(row.arguments, row.program, noDisplay);
        const std::string line = std::string(row.program) + " " + row.arguments.join(' ').toStdString();
        EXPECT_EQ(run.status, row.status) << line << "\n" << run.err;
        EXPECT_EQ(run.out.substr(0, row.out.size()), row.out) << line;
        EXPECT_EQ(run.err, row.err) << line;
    }
}
