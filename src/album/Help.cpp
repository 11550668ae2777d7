#include "Help.h"

#include "i18n/LanguageTable.h"
#include "i18n/Localiser.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace vantrel {

namespace {

constexpr int anchorRole = Qt::UserRole;

QString plainText(QString html)
{
    html.remove(QRegularExpression("<[^>]*>"));
    return html.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").trimmed();
}

void addEntry(QListWidget* list, const HelpEntry& entry)
{
    auto* item = new QListWidgetItem(entry.text, list);
    item->setData(anchorRole, entry.anchor);
}

} // namespace

HelpIndex helpIndexOf(const QString& html)
{
    static const QRegularExpression topic(
        R"re(<h2[^>]*>\s*<a\s+name="([^"]+)"(?:\s+title="([^"]*)")?[^>]*>(.*?)</a>)re",
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    HelpIndex index;
    for (auto match = topic.globalMatch(html); match.hasNext();) {
        const auto found = match.next();
        const HelpEntry entry{plainText(found.captured(3)), found.captured(1)};
        index.topics.push_back(entry);
        index.keywords.push_back(entry);
        for (const QString& keyword : found.captured(2).split(';', Qt::SkipEmptyParts))
            index.keywords.push_back({keyword.trimmed(), entry.anchor});
    }
    std::stable_sort(index.keywords.begin(), index.keywords.end(), [](const HelpEntry& a, const HelpEntry& b) {
        return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
    });
    return index;
}

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmHelp");
    createControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_HELP"));
}

void TfrmHelp::createControls()
{
    resize(760, 520);
    auto* splitter = new QSplitter(this);
    pcHelp = new QTabWidget(splitter);
    pcHelp->setObjectName("pcHelp");

    tsContents = new QWidget;
    tsContents->setObjectName("tsContents");
    lbContents = new QListWidget(tsContents);
    lbContents->setObjectName("lbContents");
    (new QVBoxLayout(tsContents))->addWidget(lbContents);
    pcHelp->addTab(tsContents, "Contents");

    tsIndex = new QWidget;
    tsIndex->setObjectName("tsIndex");
    edKeyword = new QLineEdit(tsIndex);
    edKeyword->setObjectName("edKeyword");
    lbKeywords = new QListWidget(tsIndex);
    lbKeywords->setObjectName("lbKeywords");
    auto* indexLayout = new QVBoxLayout(tsIndex);
    indexLayout->addWidget(edKeyword);
    indexLayout->addWidget(lbKeywords);
    pcHelp->addTab(tsIndex, "Index");

    txtHelp = new QTextBrowser(splitter);
    txtHelp->setObjectName("txtHelp");
    txtHelp->setOpenExternalLinks(true);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 500});
    (new QHBoxLayout(this))->addWidget(splitter);

    connect(lbContents, &QListWidget::itemActivated, this, &TfrmHelp::entryClick);
    connect(lbContents, &QListWidget::itemClicked, this, &TfrmHelp::entryClick);
    connect(lbKeywords, &QListWidget::itemActivated, this, &TfrmHelp::entryClick);
    connect(lbKeywords, &QListWidget::itemClicked, this, &TfrmHelp::entryClick);
    connect(edKeyword, &QLineEdit::textChanged, this, &TfrmHelp::edKeywordChange);
    connect(edKeyword, &QLineEdit::returnPressed, this, [this] {
        if (lbKeywords->currentItem())
            entryClick(lbKeywords->currentItem());
    });
}

bool TfrmHelp::loadHelpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString html = QString::fromUtf8(file.readAll());
    txtHelp->setHtml(html);
    index_ = helpIndexOf(html);
    fillLists();
    return true;
}

void TfrmHelp::fillLists()
{
    lbContents->clear();
    lbKeywords->clear();
    for (const HelpEntry& entry : index_.topics)
        addEntry(lbContents, entry);
    for (const HelpEntry& entry : index_.keywords)
        addEntry(lbKeywords, entry);
    lbContents->setAccessibleName(pcHelp->tabText(0));
    lbKeywords->setAccessibleName(pcHelp->tabText(1));
    edKeyword->setAccessibleName(pcHelp->tabText(1));
    txtHelp->setAccessibleName(windowTitle());
}

void TfrmHelp::showContents()
{
    pcHelp->setCurrentWidget(tsContents);
    txtHelp->verticalScrollBar()->setValue(0); // the page's own list of topics
    bringUp();
}

void TfrmHelp::showKeyword(const QString& keyword)
{
    pcHelp->setCurrentWidget(tsIndex);
    edKeyword->setText(keyword);
    edKeywordChange(keyword);
    edKeyword->setFocus();
    bringUp();
}

void TfrmHelp::bringUp()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

// The first keyword that begins with the typed text becomes the current one.
void TfrmHelp::edKeywordChange(const QString& text)
{
    for (int row = 0; row < lbKeywords->count(); ++row)
        if (lbKeywords->item(row)->text().startsWith(text, Qt::CaseInsensitive)) {
            lbKeywords->setCurrentRow(row);
            lbKeywords->scrollToItem(lbKeywords->item(row), QAbstractItemView::PositionAtTop);
            return;
        }
}

void TfrmHelp::entryClick(QListWidgetItem* item)
{
    if (item)
        txtHelp->scrollToAnchor(item->data(anchorRole).toString());
}

} // namespace vantrel
