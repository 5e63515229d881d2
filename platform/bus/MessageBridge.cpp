#include "platform/bus/MessageBridge.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/UnixSocket.h"
#include "platform/bus/BridgeConnection.h"

namespace platform {
namespace {

constexpr int kRefusedLingerMs = 2000;
constexpr int kAcceptRetryMs = 100;
constexpr int kBacklog = 64;
constexpr auto kProbeTime = std::chrono::milliseconds(1000);

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Tells a peer why it is turned away; a peer that is not reading loses the text.
void sayAndClose(int fd, const char* text) {
  (void)!::send(fd, text, std::strlen(text), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::close(fd);
}

}  // namespace

QString MessageBridge::defaultSocketPath() {
  QString env = qEnvironmentVariable("LOCKMERE_BUS_SOCKET");
  if (!env.isEmpty()) return env;
  return QString::fromStdString(paths::runtimeDir()) + "/lockmere.bus";
}

MessageBridge::MessageBridge(WindowHandle target, QObject* parent) : QObject(parent), target_(target) {}

MessageBridge::~MessageBridge() { close(); }

bool MessageBridge::prepareFolder(const QString& folder) {
  const std::string dir = folder.toStdString();
  if (QDir::cleanPath(folder) == QDir::cleanPath(QString::fromStdString(paths::runtimeDir()))) {
    paths::PrivateDir runtime = paths::privateDir(paths::Folder::Runtime);
    if (!runtime) error_ = QString::fromStdString(runtime.error);
    return bool(runtime);
  }
  // A folder named by the caller: made private only when the bridge makes it.
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) {
    if (errno == ENOENT && paths::makeDirs(dir, 0700)) return true;
    error_ = QStringLiteral("cannot create the folder %1: %2").arg(folder, errnoText(errno));
    return false;
  }
  const bool sticky = (st.st_mode & S_ISVTX) != 0;
  if (!S_ISDIR(st.st_mode)) {
    error_ = QStringLiteral("%1 is not a folder").arg(folder);
  } else if (st.st_uid != ::geteuid() && !(st.st_uid == 0 && sticky)) {
    error_ = QStringLiteral("the folder %1 belongs to another user (uid %2); not using it").arg(folder).arg(st.st_uid);
  } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !sticky) {
    error_ = QStringLiteral("the folder %1 can be changed by other users (mode %2); not using it")
                 .arg(folder, QString::number(st.st_mode & 07777, 8));
  } else {
    return true;
  }
  return false;
}

// A socket file of a run that crashed is removed; a live one is left alone.
bool MessageBridge::takeOverStaleSocket() {
  const std::string path = path_.toStdString();
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return true;
  if (!S_ISSOCK(st.st_mode)) {
    error_ = QStringLiteral("%1 exists and is not a socket; not using it").arg(path_);
    return false;
  }
  std::string why;
  const int probe = unixsocket::connectTo(path, unixsocket::deadlineIn(kProbeTime), &why);
  if (probe >= 0 || errno != ECONNREFUSED) {
    if (probe >= 0) ::close(probe);
    error_ = QStringLiteral("another program listens on %1").arg(path_);
    if (probe < 0) error_ += QStringLiteral(" (%1)").arg(QString::fromStdString(why));
    return false;
  }
  ::unlink(path.c_str());
  return true;
}

bool MessageBridge::listen(const QString& socketPath) {
  close();
  path_ = socketPath;
  if (!prepareFolder(QFileInfo(socketPath).absolutePath()) || !takeOverStaleSocket()) return false;
  std::string why;
  listenFd_ = unixsocket::listenAt(socketPath.toStdString(), kBacklog, &why);
  if (listenFd_ < 0) {
    error_ = QStringLiteral("cannot listen on %1").arg(QString::fromStdString(why));
    return false;
  }
  ::fcntl(listenFd_, F_SETFL, ::fcntl(listenFd_, F_GETFL) | O_NONBLOCK);
  notifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &MessageBridge::acceptConnections);
  error_.clear();
  return true;
}

void MessageBridge::close() {
  if (listenFd_ < 0) return;
  delete notifier_;
  notifier_ = nullptr;
  ::close(listenFd_);
  listenFd_ = -1;
  ::unlink(path_.toStdString().c_str());
}

void MessageBridge::pauseAccepting() {
  // Out of descriptors or memory: the waiting peers stay in the socket's queue
  // until some are free again.
  notifier_->setEnabled(false);
  QTimer::singleShot(kAcceptRetryMs, this, [this] {
    if (!notifier_) return;
    notifier_->setEnabled(true);
    acceptConnections();
  });
}

void MessageBridge::acceptConnections() {
  while (listenFd_ >= 0) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) pauseAccepting();
      return;
    }
    if (connections_ >= limits_.maxConnections) {
      sayAndClose(fd, "error busy: too many connections\n");
      continue;
    }
    adopt(fd);
  }
}

void MessageBridge::adopt(int fd) {
  const long uid = unixsocket::peerUid(fd);
  auto* socket = new QLocalSocket(this);
  if (!socket->setSocketDescriptor(fd)) {
    ::close(fd);
    delete socket;
    return;
  }
  ++connections_;
  QObject* counted = socket;
  if (uid != static_cast<long>(::geteuid())) {
    // Say why, then let the peer hang up: closing at once could reset the
    // connection before the peer has read the answer.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
    socket->setReadBufferSize(1024);
    QTimer::singleShot(kRefusedLingerMs, socket, [socket] { socket->deleteLater(); });
    socket->write("error refused: this bridge serves only its own user\n");
    socket->flush();
    emit peerRefused(uid);
  } else {
    counted = new BridgeConnection(socket, target_, limits_, this);
  }
  connect(counted, &QObject::destroyed, this, [this] { --connections_; });
}

}  // namespace platform
