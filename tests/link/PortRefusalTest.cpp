// Why a port cannot be used, as vantrel-cli says it: a real ordinary user (the test drops to
// `nobody`) before a port of the dialout group, a port another program holds, and paths that
// are not there or not serial devices.
#include "Line.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

// A program folder every user may read, with the language files of the build.
struct SharedProgramFolder : test::TempProgramFolder {
    SharedProgramFolder()
    {
        chmod(path().c_str(), 0755);
        const fs::path built = QCoreApplication::applicationDirPath().toStdString();
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            fs::copy_file(built / name, fs::path(path()) / name);
    }
};

struct Dropped {
    bool ran = false;
    int status = -1;
    std::string err;
};

// Runs vantrel-cli as `nobody` (group nogroup, no others), with `groupFile` seen as
// /etc/group when given. ran is false when this process may not drop or mount.
Dropped runCliAsNobody(const QStringList& arguments, const std::string& errFile, const std::string& groupFile = {})
{
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        return {};
    // A copy of vantrel-cli in a folder nobody may reach: the build may lie under one only root
    // enters (a clone in /root).
    static test::TempFolder reachable;
    const std::string program = reachable.file("vantrel-cli");
    chmod(reachable.path().c_str(), 0755);
    std::error_code copyError;
    if (!fs::exists(program))
        fs::copy_file(test::programBesideTest().toStdString(), program, copyError);
    std::vector<std::string> words{program};
    for (const QString& argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const pid_t child = fork();
    if (child == 0) {
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, STDERR_FILENO);
        const bool seen = groupFile.empty()
                          || (unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                              && mount(groupFile.c_str(), "/etc/group", nullptr, MS_BIND, nullptr) == 0);
        if (!seen || setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(125);
        execv(argv[0], argv.data());
        _exit(126);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Dropped run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.ran = run.status != 125;
    std::ifstream in(errFile);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

// A pseudo-terminal as a serial adapter's node is: root's, group dialout, mode 660.
struct DialoutPort {
    DialoutPort()
    {
        const group* dialout = getgrnam("dialout");
        ready = dialout && line.open() && chown(line.slavePath().c_str(), 0, dialout->gr_gid) == 0
                && chmod(line.slavePath().c_str(), 0660) == 0;
    }
    quobsim::Line line;
    bool ready = false;
};

// /etc/group with `nobody` added to dialout, as after `usermod -aG dialout nobody`.
std::string groupFileWithNobodyInDialout(const std::string& path)
{
    std::ifstream in("/etc/group");
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("dialout:", 0) == 0)
            line += line.back() == ':' ? "nobody" : ",nobody";
        out << line << "\n";
    }
    std::ofstream(path) << out.str();
    chmod(path.c_str(), 0644);
    return path;
}

} // namespace

TEST(PortRefusal, OrdinaryUserOutsideTheGroupIsToldWhichGroupAndWhatToDo)
{
    SharedProgramFolder folder;
    DialoutPort port;
    ASSERT_TRUE(port.ready);
    const QString device = QString::fromStdString(port.line.slavePath());
    const Dropped outside = runCliAsNobody({"status", "--device", device}, folder.file("err"));
    if (!outside.ran)
        GTEST_SKIP() << "cannot run a process as nobody here";
    EXPECT_EQ(outside.status, 1);
    EXPECT_EQ(outside.err, "vantrel-cli: You may not use " + port.line.slavePath()
                               + ": it belongs to the group dialout. Add yourself to that group (sudo "
                                 "usermod -aG dialout nobody), then log out and log in again.\n");

    const std::string groups = groupFileWithNobodyInDialout(folder.file("group"));
    const Dropped member = runCliAsNobody({"status", "--device", device}, folder.file("err"), groups);
    if (!member.ran)
        GTEST_SKIP() << "cannot give the child a group file of its own here";
    EXPECT_EQ(member.status, 1);
    EXPECT_EQ(member.err, "vantrel-cli: You may not use " + port.line.slavePath()
                              + " yet: you are a member of the group dialout, but this session began "
                                "before you joined it. Log out and log in again.\n");
}

TEST(PortRefusal, PortHeldByAnotherProgramsLockNamesItAndItsProcess)
{
    SharedProgramFolder folder;
    quobsim::Line line;
    ASSERT_TRUE(line.open());
    QProcess holder;
    holder.start("flock", {"--exclusive", QString::fromStdString(line.slavePath()), "sleep", "30"});
    ASSERT_TRUE(holder.waitForStarted());
    const qint64 holderPid = holder.processId();
    std::string err;
    int status = 0;
    for (int attempt = 0; attempt < 100; ++attempt) { // until the lock is taken
        const test::CliRun run = test::runCli({"status", "--device", QString::fromStdString(line.slavePath())});
        status = run.status;
        err = run.err;
        if (err.find("in use") != std::string::npos)
            break;
        usleep(20000);
    }
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "vantrel-cli: " + line.slavePath() + " is in use by flock (process "
                       + std::to_string(holderPid) + "). Close that program and try again.\n");
}

TEST(PortRefusal, MissingAndNonSerialPathsSaySoInEitherLanguage)
{
    SharedProgramFolder folder;
    std::ofstream(folder.file("plain")) << "x";
    struct Case {
        std::string path;
        const char* language;
        std::string said;
    };
    const Case cases[] = {
        {"/dev/vantrel-no-adapter", "C", "/dev/vantrel-no-adapter is not there. Is the adapter plugged in?"},
        {folder.file("plain"), "C", folder.file("plain") + " is not a serial device."},
        {folder.path(), "C", folder.path() + " is not a serial device."},
        {"/dev/vantrel-no-adapter", "ja_JP.UTF-8",
         "/dev/vantrel-no-adapter が見つかりません。アダプタは接続されていますか？"},
    };
    for (const Case& c : cases) {
        setenv("LC_ALL", c.language, 1);
        const test::CliRun run = test::runCli({"status", "--device", QString::fromStdString(c.path)});
        unsetenv("LC_ALL");
        EXPECT_EQ(run.status, 1) << c.path;
        EXPECT_EQ(run.err, "vantrel-cli: " + c.said + "\n");
    }
}
