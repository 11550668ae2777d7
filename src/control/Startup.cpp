#include "Startup.h"

#include "album/Cptmain.h"
#include "album/HtmTtl.h"
#include "album/ImageWindowsLink.h"
#include "album/MainDialogs.h"
#include "control/Auto.h"
#include "control/AvCtl.h"
#include "control/CommandLine.h"
#include "image/FullImage.h"
#include "control/Title.h"
#include "control/Wait.h"
#include "link/Monitor.h"
#include "link/Quobdev.h"

#include "i18n/LanguageTable.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

namespace {

// One path per file named, made absolute.
QStringList commandLineFiles(const std::vector<std::string>& files)
{
    QStringList paths;
    for (const std::string& file : files)
        paths << QFileInfo(QString::fromLocal8Bit(file.c_str())).absoluteFilePath();
    return paths;
}

constexpr int busyRetryMilliseconds = 200;

// Files handed over by a later program open as if dropped on the main window, never inside
// another operation or question (the window is disabled or a modal window is up meanwhile).
void openHandedOverFiles(const QStringList& paths)
{
    if (!frmCptMain)
        return;
    if (!frmCptMain->isEnabled() || QApplication::activeModalWidget()) {
        QTimer::singleShot(busyRetryMilliseconds, [paths] { openHandedOverFiles(paths); });
        return;
    }
    frmCptMain->raise();
    frmCptMain->activateWindow();
    frmCptMain->openFiles(paths);
}

// The exit code when a program already runs on the program folder (it took `files`, or it
// does not answer); nothing when this program is the first and goes on.
std::optional<int> endForRunningProgram(SingleInstance& instance, const QStringList& files)
{
    switch (instance.claim(files)) {
    case SingleInstance::Outcome::handedOver:
        return 0;
    case SingleInstance::Outcome::unreachable:
        std::fprintf(stderr, "vantrel: another Vantrel runs on %s but does not answer\n",
                     programFolder().c_str());
        return 1;
    case SingleInstance::Outcome::first:
        break;
    }
    return std::nullopt;
}

// Without its language files every text of the program would be empty: it says so and ends.
bool languageFilesFound()
{
    const std::string missing = missingLanguageFile();
    if (missing.empty())
        return true;
    std::fprintf(stderr, "vantrel: %s\n", missing.c_str());
    QMessageBox::critical(nullptr, "Vantrel", QString::fromStdString("Vantrel cannot start: " + missing + "."));
    return false;
}

} // namespace

int runProgram(int argc, char** argv)
{
    // Options are answered before the toolkit starts, so they need no display; the toolkit
    // sees no argument of the user's, so a file's name is never taken for one of its options.
    const ProgramRequest request = readProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (const int code = answerWithoutWindow(request); code >= 0)
        return code;
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    // The desktop entry is named after the AppStream component; the icon theme knows "vantrel".
    QGuiApplication::setDesktopFileName("org.vantrel.Vantrel");
    QApplication::setWindowIcon(QIcon::fromTheme("vantrel"));
    const QStringList commandLine = commandLineFiles(request.files);
    // One program per program folder: a later one hands its files over and ends.
    SingleInstance instance(programFolder());
    if (const auto code = endForRunningProgram(instance, commandLine))
        return *code;
    instance.setFilesHandler(openHandedOverFiles);
    if (!languageFilesFound())
        return 1;
    // The main window comes first: it loads the language table every other window uses.
    TfrmCptMain mainWindow;
    frmCptMain = &mainWindow;
    mainWindow.setCommandLine(commandLine);
    TfrmWait waitDialog;
    frmWait = &waitDialog;
    TfrmTitle titleWindow(nullptr, &mainWindow.dialogs());
    frmTitle = &titleWindow;
    // The controller owns the device link; the device list and the monitor work on it.
    TfrmAvCtl controller(mainWindow.profile);
    frmAvCtl = &controller;
    TfrmQuobDev deviceList(controller.session(), mainWindow.profile);
    frmQuobDev = &deviceList;
    TfrmMonitor monitor;
    frmMonitor = &monitor;
    TfrmAuto autoDialog(mainWindow.profile, controller, &waitDialog);
    frmAuto = &autoDialog;
    controller.runAutoCaptureDialog = [&autoDialog] { return autoDialog.runModal(); };
    controller.setDeviceList(&deviceList);
    controller.setMainWindow(&mainWindow);
    controller.setWaitDialog(&waitDialog);
    deviceList.waitWindow = &waitDialog;
    deviceList.setGuardedWindows({&controller, &mainWindow});
    mainWindow.setControllerWindow(&controller);
    TfrmHtmTtl htmlTitleDialog(mainWindow.profile, &mainWindow);
    frmHtmTtl = &htmlTitleDialog;
    ImageWindows imageWindows(mainWindow);
    waitDialog.setGuardedWindows({&mainWindow, &controller, &deviceList, frmFullImage});
    mainWindow.setWaitDialog(&waitDialog);
    mainWindow.setWaitStopFlag(&waitDialog.abortRequested);
    mainWindow.setTitleWindow(&titleWindow);
    mainWindow.show();
    const int code = app.exec();
    controller.close();
    controller.runAutoCaptureDialog = nullptr;
    frmAuto = nullptr;
    frmHtmTtl = nullptr;
    frmMonitor = nullptr;
    frmQuobDev = nullptr;
    frmAvCtl = nullptr;
    frmTitle = nullptr;
    frmWait = nullptr;
    frmCptMain = nullptr;
    return code;
}

} // namespace vantrel
