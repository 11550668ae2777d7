#pragma once
#include <QObject>
#include <QStringList>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace vantrel {

// One program per program folder. The first program listens on a local socket named after the
// folder; a later one hands the files of its command line to it and ends, so two programs
// never write the same side files.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        first,       // this program listens now and goes on
        handedOver,  // the running program took the files: end this one
        unreachable, // a program runs on the folder but did not answer: end this one too
    };
    using FilesHandler = std::function<void(const QStringList& paths)>;

    explicit SingleInstance(const std::string& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Listens, or hands `files` (made absolute) to the program that listens already. A
    // program that cannot listen (no socket can be made) still goes on, unguarded.
    Outcome claim(const QStringList& files);
    // Called from the event loop with the files a later program handed over.
    void setFilesHandler(FilesHandler handler) { handler_ = std::move(handler); }

    // The socket's name: the user and a digest of the folder's canonical path.
    static QString serverName(const std::string& programFolder);

private:
    enum class Handover { done, noServer, noAnswer };
    Handover handOver(const QStringList& paths);
    bool listen();
    void acceptConnections();
    void readFiles(QLocalSocket* socket);

    QString name_;
    QLocalServer* server_ = nullptr;
    FilesHandler handler_;
};

// The paths of the command line, relative ones taken from the current folder.
QStringList absolutePaths(const QStringList& paths);

} // namespace vantrel
