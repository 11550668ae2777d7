#include "MainDialogs.h"

#include "platform/WindowMessage.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vantrel {

QStringList nameFiltersOf(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.contains('('))
            filters << description;
        else
            filters << QString("%1 (%2)").arg(description, QString(parts[i + 1]).replace(';', ' '));
    }
    return filters;
}

bool WindowDialogs::askYesNo(const QString& caption, const QString& text)
{
    return QMessageBox::question(owner_, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void WindowDialogs::warn(std::string_view, const QString& caption, const QString& text)
{
    QMessageBox::warning(owner_, caption, text);
}

void WindowDialogs::raiseWaitDialog()
{
    if (waitDialog && waitDialog->isVisible())
        waitDialog->raise();
}

void WindowDialogs::closeWaitDialog()
{
    if (waitDialog)
        sendMessage(waitDialog, Msg::WaitClose);
}

QStringList WindowDialogs::chooseFilesToOpen(const QString& filter, const QString& folder)
{
    QFileDialog dialog(owner_);
    dialog.setObjectName("dlgOpen");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFiltersOf(filter));
    dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString WindowDialogs::chooseAlbumToSave(const QString& filter, const QString& folder, const QString& name)
{
    QFileDialog dialog(owner_);
    dialog.setObjectName("dlgSave");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The album's own target path check asks before replacing.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("zal");
    dialog.setNameFilters(nameFiltersOf(filter));
    dialog.setDirectory(folder);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace vantrel
