#pragma once

#include <QObject>
#include <QString>

#include "platform/WindowMessages.h"

class QSocketNotifier;

namespace platform {

// The door through which other programs (the browser add-on, the account tools,
// lockmere-send) reach one window: a local socket in the runtime folder, which only
// the user can open. A peer that runs as another user is refused (SO_PEERCRED).
// Each request becomes a message posted or sent to the target window on the
// bridge's thread; a send answers with the handler's result.
//
//   platform::MessageBridge bridge(receiver.handle());
//   if (!bridge.listen()) qWarning() << bridge.errorString();
//
// What one peer can cost the program is bounded (Limits): a cap on connections
// (the ones over it are told "error busy" and closed), an idle time-out, and a
// peer that does not read its replies is not read from until it does, and is
// dropped when it still has not after the idle time-out. A failed accept (out
// of descriptors, say) pauses accepting for a moment; the bridge keeps listening.
class MessageBridge : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    int maxConnections = 32;
    int idleTimeoutMs = 10000;               // no request handled for this long: the peer is dropped
    qint64 maxUnreadReplyBytes = 16 * 1024;  // replies the peer has not read: no more requests are read
  };

  // $LOCKMERE_BUS_SOCKET when set, else paths::runtimeDir() + "/lockmere.bus".
  static QString defaultSocketPath();

  explicit MessageBridge(WindowHandle target, QObject* parent = nullptr);
  ~MessageBridge() override;

  // Applies to connections accepted from then on.
  void setLimits(const Limits& limits) { limits_ = limits; }
  const Limits& limits() const { return limits_; }

  // Socket in the runtime folder: the folder is made (or found) private by
  // paths::privateDir. Socket elsewhere: a folder the bridge creates gets mode
  // 0700; an existing one keeps its mode and must be the user's (or a sticky
  // folder such as /tmp). A socket file left by a crashed run is taken over.
  // False with errorString() when another program listens there already or the
  // folder cannot be used.
  bool listen(const QString& socketPath = defaultSocketPath());
  void close();
  bool isListening() const { return listenFd_ >= 0; }
  // Open connections, refused peers included (diagnostics, tests).
  int connectionCount() const { return connections_; }
  QString socketPath() const { return path_; }
  QString errorString() const { return error_; }

 signals:
  void peerRefused(qint64 uid);

 private slots:
  void acceptConnections();

 private:
  bool prepareFolder(const QString& folder);
  bool takeOverStaleSocket();
  void adopt(int fd);
  void pauseAccepting();

  QSocketNotifier* notifier_ = nullptr;
  int listenFd_ = -1;
  int connections_ = 0;
  Limits limits_;
  WindowHandle target_;
  QString path_;
  QString error_;
};

}  // namespace platform
