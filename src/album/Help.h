#pragma once
#include <QString>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;

namespace vantrel {

// One entry of the help file's contents page or keyword index: its text and its anchor.
struct HelpEntry {
    QString text;
    QString anchor;
};

// The topics (each `<h2><a name="ANCHOR" ...>TITLE</a></h2>`) and the keywords (the `title`
// attribute of those anchors, separated by ';', plus the topic titles) of a help page,
// the keywords sorted without regard to case.
struct HelpIndex {
    std::vector<HelpEntry> topics;
    std::vector<HelpEntry> keywords;
};
HelpIndex helpIndexOf(const QString& html);

// The help window: the HTML help page of the running language (wyb30e.hlp or wyb30j.hlp in
// the program folder) beside its contents and its keyword index.
class TfrmHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* parent = nullptr);

    // False when the help file cannot be read.
    bool loadHelpFile(const QString& path);
    // The contents page, or the keyword index with `keyword` in its search field.
    void showContents();
    void showKeyword(const QString& keyword);
    const HelpIndex& index() const { return index_; }

    QTabWidget* pcHelp;
    QWidget* tsContents;
    QWidget* tsIndex;
    QListWidget* lbContents;
    QLineEdit* edKeyword;
    QListWidget* lbKeywords;
    QTextBrowser* txtHelp;

private:
    void createControls();
    void fillLists();
    void edKeywordChange(const QString& text);
    void entryClick(QListWidgetItem* item);
    void bringUp();

    HelpIndex index_;
};

} // namespace vantrel
