#include "HtmTtl.h"

#include "TitleHistory.h"
#include "i18n/Localiser.h"
#include "platform/Profile.h"
#include "platform/Widgets.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <optional>

namespace vantrel {

TfrmHtmTtl* frmHtmTtl = nullptr;

TfrmHtmTtl::TfrmHtmTtl(CProfile& profile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), profile_(profile)
{
    setObjectName("frmHtmTtl");
    createControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_HTML"));
    CB1->setAccessibleName(textForKey("TI_HTML"));
    btnOk->setAccessibleName(btnOk->text().remove('&'));
    connect(btnOk, &QPushButton::clicked, this, &TfrmHtmTtl::btnOkClick);
}

void TfrmHtmTtl::createControls()
{
    setFixedSize(283, 70);
    CB1 = new QComboBox(this);
    CB1->setObjectName("CB1");
    CB1->setEditable(true);
    CB1->setInsertPolicy(QComboBox::NoInsert);
    CB1->setGeometry(16, 8, 249, 24);
    btnOk = makePushButton(this, "btnOk", "OK", {104, 38, 75, 25});
    btnOk->setDefault(true);
}

std::optional<QString> TfrmHtmTtl::askTitle()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return title_;
}

void TfrmHtmTtl::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

// Fills the list newest first, keeps the edit text as it was and centres the dialog.
void TfrmHtmTtl::FormShow()
{
    const QString edited = CB1->currentText();
    CB1->clear();
    for (const std::string& title : titleHistoryNewestFirst(profile_))
        CB1->addItem(QString::fromStdString(title));
    CB1->setEditText(edited);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmHtmTtl::btnOkClick()
{
    title_ = CB1->currentText();
    rememberTitle(profile_, title_.toStdString());
    accept();
}

} // namespace vantrel
