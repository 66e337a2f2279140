#include "main/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>

#include "app/file_locations.h"
#include "app/functions.h"

const char* const tSingleInstance::kGuid = "{5B0E2C71-9A3D-4F6E-8C1B-2D7A4E9F0B36}";

namespace {
const QByteArray kRestoreRequest = "RESTORE\n";
const QByteArray kRestoreReply = "OK\n";

QString InRuntimeFolder(const QString& name) {
    const QString folder = RuntimeFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}
}  // namespace

tSingleInstance::tSingleInstance(QObject* parent) : QObject(parent) {}

tSingleInstance::~tSingleInstance() { Release(); }

QString tSingleInstance::LockFilePath() {
    return InRuntimeFolder(QString::fromLatin1(kGuid) + QStringLiteral(".lock"));
}

// The socket sits beside the lock: a fixed name in /tmp could be taken by anyone first.
QString tSingleInstance::ServerName() {
    return InRuntimeFolder(QString::fromLatin1(kGuid) + QStringLiteral(".socket"));
}

bool tSingleInstance::Acquire() {
    const QString lockPath = LockFilePath();
    if (lockPath.isEmpty()) RaiseSystemError(1002, EACCES);
    const QByteArray path = QFile::encodeName(lockPath);
    lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) RaiseSystemError(1002);
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(lockFd_);
        lockFd_ = -1;
        if (error != EWOULDBLOCK) RaiseSystemError(1002, error);
        // Another instance runs: ask it to come to the front. No answer is no failure.
        QLocalSocket socket;
        socket.connectToServer(ServerName());
        if (socket.waitForConnected(500)) {
            socket.write(kRestoreRequest);
            socket.waitForBytesWritten(500);
            socket.waitForReadyRead(500);
        }
        return false;
    }
    // We hold the lock, so a socket left by an instance that died is stale.
    QLocalServer::removeServer(ServerName());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &tSingleInstance::OnNewConnection);
    server_->listen(ServerName());
    return true;
}

void tSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->readAll().contains(kRestoreRequest)) return;
            Q_EMIT restoreRequested();
            socket->write(kRestoreReply);
            socket->flush();
        });
    }
}

void tSingleInstance::Release() {
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (lockFd_ >= 0) {
        ::flock(lockFd_, LOCK_UN);
        ::close(lockFd_);
        lockFd_ = -1;
    }
}
