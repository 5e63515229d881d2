#include "platform/bus/MessageBridge.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/bus/BridgeConnection.h"

namespace platform {
namespace {

constexpr int kRefusedLingerMs = 2000;

// The user id of the program at the other end; -1 when the kernel cannot tell.
qint64 peerUid(QLocalSocket* socket) {
  struct ucred cred {};
  socklen_t len = sizeof cred;
  if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return -1;
  return cred.uid;
}

}  // namespace

QString MessageBridge::defaultSocketPath() {
  QString env = qEnvironmentVariable("LOCKMERE_BUS_SOCKET");
  if (!env.isEmpty()) return env;
  return QString::fromStdString(paths::runtimeDir()) + "/lockmere.bus";
}

MessageBridge::MessageBridge(WindowHandle target, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), target_(target) {
  connect(server_, &QLocalServer::newConnection, this, &MessageBridge::acceptConnections);
}

MessageBridge::~MessageBridge() { close(); }

bool MessageBridge::isListening() const { return server_->isListening(); }

bool MessageBridge::prepareFolder(const QString& folder) {
  const std::string dir = folder.toStdString();
  if (!paths::makeDirs(dir, 0700)) {
    error_ =
        QStringLiteral("cannot create the folder %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || st.st_uid != ::geteuid()) {
    error_ = QStringLiteral("the folder %1 belongs to another user").arg(folder);
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) {
    error_ = QStringLiteral("cannot make the folder %1 private").arg(folder);
    return false;
  }
  return true;
}

bool MessageBridge::listen(const QString& socketPath) {
  close();
  path_ = socketPath;
  if (!prepareFolder(QFileInfo(socketPath).absolutePath())) return false;
  // Ask first: listening would replace the socket of a live bridge without a word.
  if (QFileInfo::exists(socketPath)) {
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    if (probe.waitForConnected(1000)) {
      error_ = QStringLiteral("another program listens on %1").arg(socketPath);
      return false;
    }
    QLocalServer::removeServer(socketPath);  // left by a run that crashed
  }
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (server_->listen(socketPath)) return true;
  error_ = QStringLiteral("cannot listen on %1: %2").arg(socketPath, server_->errorString());
  return false;
}

void MessageBridge::close() {
  if (server_->isListening()) server_->close();  // removes the socket file
}

void MessageBridge::acceptConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    qint64 uid = peerUid(socket);
    if (uid != static_cast<qint64>(::geteuid())) {
      // Say why, then let the peer hang up: closing at once could reset the
      // connection before the peer has read the answer.
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
      QTimer::singleShot(kRefusedLingerMs, socket, [socket] { socket->disconnectFromServer(); });
      socket->write("error refused: this bridge serves only its own user\n");
      socket->flush();
      emit peerRefused(uid);
      continue;
    }
    new BridgeConnection(socket, target_, this);
  }
}

}  // namespace platform
