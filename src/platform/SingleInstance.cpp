#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QtEndian>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr int connectMilliseconds = 2000;
constexpr int answerMilliseconds = 10000;
constexpr char acknowledgement = 'k';
constexpr quint32 largestMessage = 1 << 20;

// A 32-bit big-endian length, then the paths in UTF-8, each ended by a zero byte (the one
// character a path cannot hold).
QByteArray message(const QStringList& paths)
{
    QByteArray body;
    for (const QString& path : paths)
        body += path.toUtf8() + '\0';
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), framed.data());
    return framed + body;
}

quint32 messageLength(const QByteArray& received)
{
    return qFromBigEndian<quint32>(received.constData());
}

// The paths once the whole message has arrived.
std::optional<QStringList> completeMessage(const QByteArray& received)
{
    if (received.size() < 4 || received.size() - 4 < static_cast<qsizetype>(messageLength(received)))
        return std::nullopt;
    QStringList paths;
    for (const QByteArray& path : received.mid(4, messageLength(received)).split('\0'))
        if (!path.isEmpty())
            paths << QString::fromUtf8(path);
    return paths;
}

} // namespace

SingleInstance::SingleInstance(const std::string& programFolder, QObject* parent)
    : QObject(parent), name_(serverName(programFolder))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const std::string& programFolder)
{
    std::error_code error;
    auto folder = std::filesystem::weakly_canonical(programFolder, error);
    if (error)
        folder = std::filesystem::absolute(programFolder).lexically_normal();
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(text),
                                                       QCryptographicHash::Sha1);
    return QStringLiteral("vantrel-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest.toHex().left(16)));
}

SingleInstance::Outcome SingleInstance::claim(const QStringList& files)
{
    // Programs starting together take turns; a lock left by a dead program is taken over.
    QLockFile turn(QDir::temp().filePath(name_ + ".lock"));
    turn.tryLock(answerMilliseconds);
    switch (handOver(absolutePaths(files))) {
    case Handover::done:
        return Outcome::handedOver;
    case Handover::noAnswer:
        return Outcome::unreachable;
    case Handover::noServer:
        break;
    }
    // Nobody answers on the name: a socket left by a program that died is removed.
    QLocalServer::removeServer(name_);
    if (!listen())
        qWarning("vantrel: cannot listen for later programs on %s", qPrintable(name_));
    return Outcome::first;
}

SingleInstance::Handover SingleInstance::handOver(const QStringList& paths)
{
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectMilliseconds))
        return Handover::noServer;
    socket.write(message(paths));
    socket.flush();
    while (socket.bytesAvailable() == 0)
        if (!socket.waitForReadyRead(answerMilliseconds))
            return Handover::noAnswer;
    return socket.read(1) == QByteArray(1, acknowledgement) ? Handover::done : Handover::noAnswer;
}

bool SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return server_->listen(name_);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFiles(socket); });
        readFiles(socket);
    }
}

void SingleInstance::readFiles(QLocalSocket* socket)
{
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    if (received.size() >= 4 && messageLength(received) > largestMessage) {
        socket->abort();
        return;
    }
    const auto paths = completeMessage(received);
    if (!paths) {
        socket->setProperty("received", received);
        return;
    }
    socket->setProperty("received", QByteArray());
    socket->write(QByteArray(1, acknowledgement));
    socket->flush();
    socket->disconnectFromServer();
    // The handler may open dialogs: it runs after the sender has its answer.
    QMetaObject::invokeMethod(
        this, [this, files = *paths] {
            if (handler_)
                handler_(files);
        },
        Qt::QueuedConnection);
}

QStringList absolutePaths(const QStringList& paths)
{
    QStringList absolute;
    for (const QString& path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    return absolute;
}

} // namespace vantrel
