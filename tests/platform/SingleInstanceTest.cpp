// Two real processes of a small program on one program folder: the later hands its files over.
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// One instance_probe process on a program folder.
struct Probe {
    Probe(const std::string& folder, const QStringList& files, const std::string& workFolder = "/")
    {
        process.setWorkingDirectory(QString::fromStdString(workFolder));
        process.start(QCoreApplication::applicationDirPath() + "/instance_probe",
                      QStringList{QString::fromStdString(folder)} + files);
    }
    ~Probe()
    {
        process.kill();
        process.waitForFinished();
    }
    // The first line it prints.
    QString firstLine()
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000))
                return "nothing";
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    // Everything else it prints until it ends.
    QString rest()
    {
        process.waitForFinished(20000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QProcess process;
};

} // namespace

TEST(SingleInstance, ALaterProgramHandsItsFilesToTheFirst)
{
    test::TempFolder folder;
    test::TempFolder work;
    Probe first(folder.path(), {});
    ASSERT_EQ(first.firstLine(), "first");
    Probe other(folder.path() + "/./", {"pic.dvf", "/albums/a.zal"}, work.path());
    EXPECT_EQ(other.firstLine(), "handed-over");
    EXPECT_EQ(first.rest(), QString::fromStdString("file " + work.file("pic.dvf") + "\nfile /albums/a.zal\n"));
    EXPECT_EQ(first.process.exitCode(), 0);
}

TEST(SingleInstance, OtherFoldersAndDeadProgramsDoNotStopAProgram)
{
    test::TempFolder folder;
    test::TempFolder otherFolder;
    Probe first(folder.path(), {});
    ASSERT_EQ(first.firstLine(), "first");
    Probe elsewhere(otherFolder.path(), {"x.dvf"});
    EXPECT_EQ(elsewhere.firstLine(), "first");
    // A program killed outright leaves its socket behind; the next one takes the folder.
    first.process.kill();
    first.process.waitForFinished();
    Probe next(folder.path(), {"x.dvf"});
    EXPECT_EQ(next.firstLine(), "first");
}

TEST(SingleInstance, ProgramsStartedTogetherAgreeOnOneFirst)
{
    test::TempFolder folder;
    Probe a(folder.path(), {"/a.dvf"});
    Probe b(folder.path(), {"/b.dvf"});
    const QStringList lines{a.firstLine(), b.firstLine()};
    EXPECT_EQ(lines.count("first"), 1) << lines.join(",").toStdString();
    EXPECT_EQ(lines.count("handed-over"), 1) << lines.join(",").toStdString();
    Probe& first = lines[0] == "first" ? a : b;
    EXPECT_EQ(first.rest(), lines[0] == "first" ? "file /b.dvf\n" : "file /a.dvf\n");
}
