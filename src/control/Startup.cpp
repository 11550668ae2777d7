#include "Startup.h"

#include "album/Cptmain.h"
#include "album/ImageWindowsLink.h"
#include "image/FullImage.h"
#include "control/Title.h"
#include "control/Wait.h"

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
    ImageWindows imageWindows(mainWindow);
    // The controller and the device list join the main window and the viewer here once built.
    waitDialog.setGuardedWindows({frmCptMain, frmFullImage});
    mainWindow.setWaitDialog(&waitDialog);
    mainWindow.setTitleWindow(&titleWindow);
    mainWindow.show();
    const int code = app.exec();
    frmTitle = nullptr;
    frmWait = nullptr;
    frmCptMain = nullptr;
    return code;
}

} // namespace vantrel
