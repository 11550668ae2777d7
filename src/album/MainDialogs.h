#pragma once
#include "album/TargetPath.h"

#include <QPointer>
#include <QStringList>

class QWidget;

namespace vantrel {

// Every question and file dialog of the main window. The window asks through this seam, so
// tests answer without a modal loop; WindowDialogs is the real one.
class MainDialogs : public PathPrompts {
public:
    // The Open dialog (several files, read-only files hidden); empty when cancelled.
    virtual QStringList chooseFilesToOpen(const QString& filter, const QString& folder) = 0;
    // The Save Album As dialog with default extension "zal"; empty when cancelled.
    virtual QString chooseAlbumToSave(const QString& filter, const QString& folder,
                                      const QString& name) = 0;
};

// Message boxes and the toolkit's own file dialogs, owned by `owner`.
class WindowDialogs : public MainDialogs {
public:
    explicit WindowDialogs(QWidget* owner) : owner_(owner) {}

    bool askYesNo(const QString& caption, const QString& text) override;
    void warn(std::string_view key, const QString& caption, const QString& text) override;
    void raiseWaitDialog() override;
    void closeWaitDialog() override;
    QStringList chooseFilesToOpen(const QString& filter, const QString& folder) override;
    QString chooseAlbumToSave(const QString& filter, const QString& folder, const QString& name) override;

    QPointer<QWidget> waitDialog;

private:
    QPointer<QWidget> owner_;
};

// "Text (*.zal)|*.zal|All|*.dvf;*.zal" as the toolkit's name filters: a description without
// its own pattern list gets one from the pattern part.
QStringList nameFiltersOf(const QString& filter);

} // namespace vantrel
