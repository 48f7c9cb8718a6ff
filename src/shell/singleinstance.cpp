#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kConnectMs = 2000;
constexpr int kAnswerMs = 5000;
const QByteArray kShow = "show\n";
const QByteArray kShown = "shown\n";

// In the user's runtime folder where there is one: private to the user and
// the same for every start in a session, whatever TMPDIR says.
QString socketName(const QString& settingsPath) {
    const QByteArray hash = QCryptographicHash::hash(QFileInfo(settingsPath).absoluteFilePath().toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    const QString name = QStringLiteral("ollo-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return name;
}

} // namespace

SingleInstance::SingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent)
    , m_name(socketName(settingsPath)) {
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kShow);
    // A copy that accepts but does not answer still runs: starting a second
    // one would bring back the lost changes this guards against.
    if (!socket.waitForBytesWritten(kAnswerMs) || !socket.waitForReadyRead(kAnswerMs))
        std::fputs("Ollo: a running copy did not answer; this one ends all the same\n", stderr);
    return true;
}

bool SingleInstance::HandOver() {
    if (askRunningCopy())
        return true;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Another start may have begun listening just now; else the socket
        // is a dead copy's.
        if (m_server->serverError() == QAbstractSocket::AddressInUseError && askRunningCopy())
            return true;
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name)) {
            std::fprintf(stderr, "Ollo: cannot listen for later starts: %s\n",
                         qUtf8Printable(m_server->errorString()));
            return false;
        }
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return false;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kShow) {
                Q_EMIT showRequested();
                socket->write(kShown);
            }
            socket->disconnectFromServer();
        });
    }
}
