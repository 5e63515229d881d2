#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include "platform/WindowMessages.h"
#include "platform/bus/MessageBridge.h"

class QLocalSocket;
class QTimer;

namespace platform {

// One client of the message bridge (internal to MessageBridge): reads request lines,
// hands each message to the bridge's window and writes the reply. Requests of one
// client are handled one after the other, even when a handler runs a nested event
// loop (a modal window); the connection deletes itself when the client goes, when
// it has been idle for the bridge's idle time-out, and when it leaves its replies
// unread for that long.
class BridgeConnection : public QObject {
  Q_OBJECT

 public:
  BridgeConnection(QLocalSocket* socket, WindowHandle target, const MessageBridge::Limits& limits, QObject* parent);

 private slots:
  void readRequests();
  void repliesRead();
  void idleTooLong();

 private:
  void reply(const QByteArray& line);
  QByteArray handle(const QByteArray& line);
  bool repliesPiledUp() const;
  void drop();

  QPointer<QLocalSocket> socket_;
  QTimer* idle_;
  WindowHandle target_;
  MessageBridge::Limits limits_;
  bool busy_ = false;
  bool discarding_ = false;  // inside a request that was too long
  bool stalled_ = false;     // not reading: the peer has too many replies unread
};

}  // namespace platform
