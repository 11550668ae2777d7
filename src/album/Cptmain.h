#pragma once
#include "i18n/LanguageTable.h"

#include <QMainWindow>
#include <QString>

class QMenu;

namespace vantrel {

// The main window: the album index and the program's menus. It owns the program's language
// table: its constructor, which runs before any other window is created, chooses the
// language, loads wyb.sty and wyb.cpt from the program folder and registers the table, so
// that languageTable() and textForKey() serve every window and thread from then on.
class TfrmCptMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmCptMain(QWidget* parent = nullptr);
    ~TfrmCptMain() override;

    LanguageTable language;
    // The text of "TI_MAIN": the window title and the caption of message boxes.
    QString title;

private:
    void createControls();
    void createMenus();
    void createIndexPopup();
    QMenu* addMenu(QWidget* parent, const char* name, const char* caption);
};

extern TfrmCptMain* frmCptMain;

} // namespace vantrel
