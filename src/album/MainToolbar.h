#pragma once
#include <QFrame>
#include <QString>

class QToolButton;

namespace vantrel {

// The main window's tool bar: Open Album, Save Album, the controller and the viewer, and the
// two logos, of which the running language's stands at the right end.
class MainToolbar : public QFrame {
public:
    // A bar `width` wide on `parent`.
    MainToolbar(QWidget* parent, int width);

    // The logo of the language at the right end of a window `width` wide; none on a narrow one.
    void placeLogo(int width, bool japanese);
    // Screen readers read a button's hint (or caption) and a logo as `title`.
    void nameForScreenReaders(const QString& title);

    QToolButton* btnOpen;
    QToolButton* btnSave;
    QToolButton* btnVCR;
    QToolButton* btnEDS;
    QToolButton* btnLogoEng;
    QToolButton* btnLogoJpn;

private:
    void createButtons();
    void createLogos();
};

} // namespace vantrel
