#pragma once

#include <QObject>
#include <QString>

#include "platform/WindowMessages.h"

class QLocalServer;

namespace platform {

// The door through which other programs (the browser add-on, the account tools,
// lockmere-send) reach one window: a local socket in the runtime folder, which only
// the user can open. A peer that runs as another user is refused (SO_PEERCRED).
// Each request becomes a message posted or sent to the target window on the
// bridge's thread; a send answers with the handler's result.
//
//   platform::MessageBridge bridge(receiver.handle());
//   if (!bridge.listen()) qWarning() << bridge.errorString();
class MessageBridge : public QObject {
  Q_OBJECT

 public:
  // $LOCKMERE_BUS_SOCKET when set, else paths::runtimeDir() + "/lockmere.bus".
  static QString defaultSocketPath();

  explicit MessageBridge(WindowHandle target, QObject* parent = nullptr);
  ~MessageBridge() override;

  // Makes the socket's folder private (0700, it must belong to the user), takes over
  // a socket file left by a crashed run, and listens. False with errorString() when
  // another program listens there already or the folder cannot be used.
  bool listen(const QString& socketPath = defaultSocketPath());
  void close();
  bool isListening() const;
  QString socketPath() const { return path_; }
  QString errorString() const { return error_; }

 signals:
  void peerRefused(qint64 uid);

 private slots:
  void acceptConnections();

 private:
  bool prepareFolder(const QString& folder);

  QLocalServer* server_;
  WindowHandle target_;
  QString path_;
  QString error_;
};

}  // namespace platform
