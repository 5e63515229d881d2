#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include "platform/WindowMessages.h"

class QLocalSocket;

namespace platform {

// One client of the message bridge (internal to MessageBridge): reads request lines,
// hands each message to the bridge's window and writes the reply. Requests of one
// client are handled one after the other, even when a handler runs a nested event
// loop (a modal window); the connection deletes itself when the client goes.
class BridgeConnection : public QObject {
  Q_OBJECT

 public:
  BridgeConnection(QLocalSocket* socket, WindowHandle target, QObject* parent);

 private slots:
  void readRequests();

 private:
  void reply(const QByteArray& line);
  QByteArray handle(const QByteArray& line);

  QPointer<QLocalSocket> socket_;
  WindowHandle target_;
  bool busy_ = false;
  bool discarding_ = false;  // inside a request that was too long
};

}  // namespace platform
