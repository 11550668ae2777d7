#include "Startup.h"

#include "album/Cptmain.h"
#include "control/AvCtl.h"
#include "control/Title.h"
#include "control/Wait.h"
#include "link/Monitor.h"
#include "link/Quobdev.h"

#include <QApplication>
#include <QFileInfo>

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

} // namespace

int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList commandLine = commandLineFiles(QApplication::arguments());
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
    controller.setDeviceList(&deviceList);
    controller.setAlbum(&mainWindow);
    deviceList.waitWindow = &waitDialog;
    deviceList.setGuardedWindows({&controller, frmCptMain});
    mainWindow.setControllerWindow(&controller);
    // The viewer joins the guarded windows here once built.
    waitDialog.setGuardedWindows({frmCptMain, &controller, &deviceList});
    mainWindow.setWaitDialog(&waitDialog);
    mainWindow.setTitleWindow(&titleWindow);
    mainWindow.show();
    const int code = app.exec();
    controller.close();
    frmMonitor = nullptr;
    frmQuobDev = nullptr;
    frmAvCtl = nullptr;
    frmTitle = nullptr;
    frmWait = nullptr;
    frmCptMain = nullptr;
    return code;
}

} // namespace vantrel
