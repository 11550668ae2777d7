#include "Startup.h"

#include "album/Cptmain.h"
#include "album/HtmTtl.h"
#include "album/ImageWindowsLink.h"
#include "control/Auto.h"
#include "control/AvCtl.h"
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

namespace vantrel {

namespace {

// One path per argument, made absolute.
QStringList commandLineFiles(const QStringList& arguments)
{
    QStringList paths;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        paths << QFileInfo(arguments[i]).absoluteFilePath();
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
    QApplication app(argc, argv);
    // The desktop entry and the icon theme know the program as "vantrel".
    QGuiApplication::setDesktopFileName("vantrel");
    QApplication::setWindowIcon(QIcon::fromTheme("vantrel"));
    const QStringList commandLine = commandLineFiles(QApplication::arguments());
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
    TfrmTitle titleWindow;
    frmTitle = &titleWindow;
    // The controller owns the device link; the device list and the monitor work on it.
    TfrmAvCtl controller(mainWindow.profile);
    frmAvCtl = &controller;
    TfrmQuobDev deviceList(controller.sys, mainWindow.profile);
    frmQuobDev = &deviceList;
    TfrmMonitor monitor;
    frmMonitor = &monitor;
    TfrmAuto autoDialog(mainWindow.profile, controller, frmWait);
    frmAuto = &autoDialog;
    controller.runAutoCaptureDialog = [&autoDialog] { return autoDialog.runModal(); };
    controller.setDeviceList(&deviceList);
    controller.setAlbum(&mainWindow);
    deviceList.waitWindow = &waitDialog;
    deviceList.setGuardedWindows({&controller, frmCptMain});
    mainWindow.setControllerWindow(&controller);
    TfrmHtmTtl htmlTitleDialog(mainWindow.profile, &mainWindow);
    frmHtmTtl = &htmlTitleDialog;
    ImageWindows imageWindows(mainWindow);
    waitDialog.setGuardedWindows({frmCptMain, &controller, &deviceList, frmFullImage});
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
