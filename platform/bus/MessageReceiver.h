#pragma once

#include <QObject>
#include <memory>

#include "platform/bus/Message.h"

namespace platform {

class SendInbox;

// The message-receiving side of a window: owns a handle on the bus and runs the
// handler for every message posted or sent to it, always on the thread that
// created it (the receiver must not be moved to another thread and must be
// destroyed on its own thread). Destroying it releases the handle; messages still
// on their way are dropped and their senders get nullopt.
//
// A window holds one as a member:
//   platform::MessageReceiver receiver_{[this](const platform::Message& m) { return onMessage(m); }};
class MessageReceiver : public QObject {
  Q_OBJECT

 public:
  explicit MessageReceiver(MessageHandler handler = {}, QObject* parent = nullptr);
  ~MessageReceiver() override;

  WindowHandle handle() const { return handle_; }
  // Replaces the handler; call it on the receiver's thread. Without one, every
  // message is answered with 0.
  void setHandler(MessageHandler handler);

  bool event(QEvent* event) override;

 private:
  friend class MessageBus;
  std::int64_t deliver(const Message& message);

  MessageHandler handler_;
  std::shared_ptr<SendInbox> inbox_;
  WindowHandle handle_ = 0;
};

}  // namespace platform
