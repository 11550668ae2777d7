#pragma once
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

class QProcess;

namespace vantrel::test {

struct CliRun {
    int status = -1; // -1 when the program crashed or did not end in time
    std::string out;
    std::string err;
};

// Runs a program built beside the test program (vantrel-cli by default) to its end, in the
// test's own environment or the one given.
CliRun runCli(const QStringList& arguments, const char* program = "vantrel-cli",
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
// Runs the program with `process` as it was set up.
CliRun runProcess(QProcess& process, const QStringList& arguments, const char* program);
// Waits for a started process to end and takes what it printed.
CliRun finishProcess(QProcess& process);
// The path of a program built beside the test program.
QString programBesideTest(const char* program = "vantrel-cli");

} // namespace vantrel::test
