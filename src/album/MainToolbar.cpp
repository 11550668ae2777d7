#include "MainToolbar.h"

#include "album/ToolbarArt.h"

#include <QIcon>
#include <QRegularExpression>
#include <QToolButton>

namespace vantrel {

namespace {

constexpr int toolbarHeight = 41;
constexpr int toolButtonSize = 34;
constexpr QSize logoSize(209, 23);
constexpr int logoRightGap = 20;
constexpr int logosHiddenWidth = 410;

struct ToolButtonPlace {
    const char* name;
    const char* hint;
    int left;
};

constexpr ToolButtonPlace toolButtons[] = {
    {"btnOpen", "Open Album...", 5},
    {"btnSave", "Save Album", 39},
    {"btnVCR", "Open VCR Controll", 81},
    {"btnEDS", "Open Full Image", 115},
};

QString withoutMnemonic(QString text)
{
    return text.remove(QRegularExpression("&(?!&)")).remove(QRegularExpression("\\(\\)$"));
}

} // namespace

MainToolbar::MainToolbar(QWidget* parent, int width) : QFrame(parent)
{
    setObjectName("pnlToolbar");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    resize(width, toolbarHeight);
    createButtons();
    createLogos();
}

void MainToolbar::createButtons()
{
    const int top = (toolbarHeight - toolButtonSize) / 2;
    for (const ToolButtonPlace& place : toolButtons) {
        auto* button = new QToolButton(this);
        button->setObjectName(place.name);
        button->setToolTip(place.hint);
        button->setIcon(toolbarPicture(place.name));
        button->setIconSize(QSize(toolButtonSize - 6, toolButtonSize - 6));
        button->setGeometry(place.left, top, toolButtonSize, toolButtonSize);
        button->setAutoRaise(true);
    }
    btnOpen = findChild<QToolButton*>("btnOpen");
    btnSave = findChild<QToolButton*>("btnSave");
    btnVCR = findChild<QToolButton*>("btnVCR");
    btnEDS = findChild<QToolButton*>("btnEDS");
    btnEDS->setEnabled(false);
}

void MainToolbar::createLogos()
{
    for (const char* name : {"btnLogoEng", "btnLogoJpn"}) {
        auto* logo = new QToolButton(this);
        logo->setObjectName(name);
        QIcon picture;
        picture.addPixmap(toolbarPicture(name), QIcon::Disabled);
        logo->setIcon(picture);
        logo->setIconSize(logoSize);
        logo->resize(logoSize);
        logo->setAutoRaise(true);
        logo->setEnabled(false);
        logo->setFocusPolicy(Qt::NoFocus);
    }
    btnLogoEng = findChild<QToolButton*>("btnLogoEng");
    btnLogoJpn = findChild<QToolButton*>("btnLogoJpn");
}

void MainToolbar::placeLogo(int width, bool japanese)
{
    QToolButton* logo = japanese ? btnLogoJpn : btnLogoEng;
    btnLogoEng->setVisible(false);
    btnLogoJpn->setVisible(false);
    logo->setVisible(width > logosHiddenWidth);
    logo->move(width - logoRightGap - logoSize.width(), (toolbarHeight - logoSize.height()) / 2);
}

void MainToolbar::nameForScreenReaders(const QString& title)
{
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAccessibleName(button->toolTip().isEmpty() ? withoutMnemonic(button->text())
                                                              : button->toolTip());
    btnLogoEng->setAccessibleName(title);
    btnLogoJpn->setAccessibleName(title);
}

} // namespace vantrel
