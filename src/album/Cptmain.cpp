#include "Cptmain.h"

#include <QScrollArea>

namespace vantrel {

TfrmCptMain* frmCptMain = nullptr;

TfrmCptMain::TfrmCptMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("frmCptMain");
    createControls();
}

void TfrmCptMain::createControls()
{
    setWindowTitle("Vantrel");
    resize(640, 480);
    auto* index = new QScrollArea(this);
    index->setObjectName("sbxIndex");
    setCentralWidget(index);
}

} // namespace vantrel
