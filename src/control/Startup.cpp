#include "Startup.h"

#include "album/Cptmain.h"

#include <QApplication>

namespace vantrel {

int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    TfrmCptMain mainWindow;
    frmCptMain = &mainWindow;
    mainWindow.show();
    const int code = app.exec();
    frmCptMain = nullptr;
    return code;
}

} // namespace vantrel
