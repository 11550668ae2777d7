// The main window on the offscreen platform, repeating one file operation from its menu until
// it is killed: the child process of the crash tests. VANTREL_HOME names its program folder.
//   album_crash_driver save FILE.zal | html INDEX.htm | open FILE.zal | drop -
// "drop" moves the first picture to the end of the index, as dropping it on the empty area does.
// Every question is answered Yes, every file dialog with the given path, the HTML title
// dialog with "Trip" (kept in the title history as the dialog keeps it).
#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "album/TitleHistory.h"

#include <QAction>
#include <QApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <map>

using namespace vantrel;

namespace {

class Answers : public MainDialogs {
public:
    Answers(QString path, CProfile& profile) : path_(std::move(path)), profile_(profile) {}

    bool askYesNo(const QString&, const QString&) override { return true; }
    void warn(std::string_view key, const QString&, const QString&) override
    {
        std::fprintf(stderr, "warned %.*s\n", static_cast<int>(key.size()), key.data());
    }
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return {path_}; }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return path_; }
    QString chooseHtmlIndex(const QString&, const QString&) override { return path_; }
    std::optional<QString> askHtmlTitle() override
    {
        rememberTitle(profile_, "Trip");
        return QString("Trip");
    }

private:
    QString path_;
    CProfile& profile_;
};

const std::map<std::string, const char*> menuItems = {
    {"save", "mnuSaveAs"}, {"html", "mnuHTML"}, {"open", "mnuOpen"}, {"drop", "drop"}};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const auto item = argc == 3 ? menuItems.find(argv[1]) : menuItems.end();
    if (item == menuItems.end()) {
        std::fprintf(stderr, "usage: album_crash_driver save|html|open|drop PATH\n");
        return 2;
    }
    TfrmCptMain window;
    window.setDialogs(std::make_unique<Answers>(QString::fromLocal8Bit(argv[2]), window.profile));
    window.show();
    while (!window.firstShowDone()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    if (item->second == std::string("drop")) {
        for (;;) {
            window.album.setSelected(1, true);
            window.editing.dropOnIndex(1);
        }
    }
    QAction* action = window.findChild<QAction*>(item->second);
    for (;;)
        action->trigger();
}
