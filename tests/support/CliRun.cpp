#include "CliRun.h"

#include <QCoreApplication>
#include <QProcess>

namespace vantrel::test {

QString programBesideTest(const char* program)
{
    return QCoreApplication::applicationDirPath() + "/" + program;
}

CliRun runCli(const QStringList& arguments, const char* program, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    return runProcess(process, arguments, program);
}

CliRun runProcess(QProcess& process, const QStringList& arguments, const char* program)
{
    process.start(programBesideTest(program), arguments);
    return finishProcess(process);
}

CliRun finishProcess(QProcess& process)
{
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace vantrel::test
