#pragma once
#include <QDialog>

#include <optional>

class QComboBox;
class QPushButton;

namespace vantrel {

class CProfile;

// The HTML album's title dialog: an editable list of the last ten titles, newest first.
class TfrmHtmTtl : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHtmTtl(CProfile& profile, QWidget* parent = nullptr);

    // Shows the dialog modally; the title typed or picked when OK closed it, else nothing.
    std::optional<QString> askTitle();
    // The title OK confirmed last.
    QString title() const { return title_; }

    QComboBox* CB1 = nullptr;
    QPushButton* btnOk = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void FormShow();
    void btnOkClick();

    CProfile& profile_;
    QString title_;
};

extern TfrmHtmTtl* frmHtmTtl;

} // namespace vantrel
