#pragma once
#include "album/ImageSaving.h"
#include "image/TargetPath.h"

#include <QPointer>
#include <QStringList>

#include <optional>

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
    // The save dialog of Save Image As, prepared for one picture; empty when cancelled.
    virtual QString chooseImageToSave(const ImageSaveDialog&) { return {}; }
    // The save dialog of Make HTML Album (default extension "htm"); empty when cancelled.
    virtual QString chooseHtmlIndex(const QString& /*folder*/, const QString& /*name*/) { return {}; }
    // The HTML title dialog; nothing when it was closed without OK.
    virtual std::optional<QString> askHtmlTitle() { return std::nullopt; }
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
    QString chooseImageToSave(const ImageSaveDialog& dialog) override;
    QString chooseHtmlIndex(const QString& folder, const QString& name) override;
    std::optional<QString> askHtmlTitle() override;

    QPointer<QWidget> waitDialog;

private:
    QString chooseFileToSave(const char* name, const QStringList& filters, const QString& suffix,
                             const QString& folder, const QString& file);

    QPointer<QWidget> owner_;
};

// "Text (*.zal)|*.zal|All|*.dvf;*.zal" as the toolkit's name filters: a description without
// its own pattern list gets one from the pattern part.
QStringList nameFiltersOf(const QString& filter);

} // namespace vantrel
