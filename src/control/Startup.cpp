#include "Startup.h"

#include "album/Cptmain.h"
#include "control/Wait.h"

#include <QApplication>

namespace vantrel {

int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The main window comes first: it loads the language table every other window uses.
    TfrmCptMain mainWindow;
    frmCptMain = &mainWindow;
    TfrmWait waitDialog;
    frmWait = &waitDialog;
    // The controller, the viewer and the device list join the main window here once built.
    waitDialog.setGuardedWindows({frmCptMain});
    mainWindow.show();
    const int code = app.exec();
    frmWait = nullptr;
    frmCptMain = nullptr;
    return code;
}

} // namespace vantrel
