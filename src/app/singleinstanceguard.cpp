#include "app/singleinstanceguard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include "platform/appinfo.h"

namespace {

// The one request a later copy sends, and the first copy's answer.
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");
const QByteArray kRaiseAnswer = QByteArrayLiteral("ok\n");
constexpr int kConnectTimeoutMs = 2000;

QString RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  QDir().mkpath(folder);
  return folder;
}

}  // namespace

QString AlreadyRunningMessage(const QString& title) {
  return title + QStringLiteral(" is already running.\n\nYou should close the other copy of ") + title +
         QStringLiteral(" and try again.");
}

SingleInstanceGuard::SingleInstanceGuard() : name_(QStringLiteral("OneInstance-") + kApplicationTitle) {}

SingleInstanceGuard::~SingleInstanceGuard() {
  if (server_) server_->close();
  if (lock_) lock_->unlock();
}

QString SingleInstanceGuard::LockFilePath() const {
  return QDir(RuntimeFolder()).filePath(name_ + QStringLiteral(".lock"));
}

QString SingleInstanceGuard::ServerName() const {
#ifdef Q_OS_WIN
  return name_;  // a named pipe, per session
#else
  // A socket in the user's own runtime folder, not in the shared /tmp.
  return QDir(RuntimeFolder()).filePath(name_);
#endif
}

bool SingleInstanceGuard::CheckSingleInstance(Prompter& prompter) {
  lock_ = std::make_unique<QLockFile>(LockFilePath());
  // Only a lock whose process is gone is stale; a long-running first copy
  // keeps its lock however old the file is.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) {
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(ServerName());  // a socket left by a crashed copy
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstanceGuard::AcceptConnection);
    // Without the socket this copy still runs alone; it just cannot be
    // brought forward by a later one.
    server_->listen(ServerName());
    return true;
  }
  lock_.reset();
  ShowInformation(prompter, AlreadyRunningMessage(kApplicationTitle), kApplicationTitle);
  BringOtherInstanceForward();
  return false;
}

bool SingleInstanceGuard::BringOtherInstanceForward() {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  socket.write(kRaiseRequest);
  if (!socket.waitForBytesWritten(kConnectTimeoutMs)) return false;
  // Wait for the answer so that the request is handled before this copy ends.
  while (socket.bytesAvailable() < kRaiseAnswer.size()) {
    if (!socket.waitForReadyRead(kConnectTimeoutMs)) return false;
  }
  return socket.read(kRaiseAnswer.size()) == kRaiseAnswer;
}

void SingleInstanceGuard::AcceptConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Only the one fixed request is understood; anything else, or more
      // than it, is dropped with the connection.
      if (socket->bytesAvailable() < kRaiseRequest.size()) return;
      const QByteArray request = socket->read(kRaiseRequest.size());
      if (request != kRaiseRequest) {
        socket->disconnectFromServer();
        return;
      }
      socket->write(kRaiseAnswer);
      socket->flush();
      if (raiseHandler_) raiseHandler_();
    });
  }
}
