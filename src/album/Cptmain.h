#pragma once
#include <QMainWindow>

namespace vantrel {

// The main window: the album index and the program's menus.
class TfrmCptMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmCptMain(QWidget* parent = nullptr);

private:
    void createControls();
};

extern TfrmCptMain* frmCptMain;

} // namespace vantrel
