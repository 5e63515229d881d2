#pragma once

#include <QEvent>

#include "platform/bus/Message.h"

namespace platform {

// The Qt events that carry messages to a receiver's thread (internal to the bus).
// They own nothing that needs the bus, so Qt may delete them anywhere.
class PostedMessageEvent : public QEvent {
 public:
  static QEvent::Type eventType();
  explicit PostedMessageEvent(const Message& message) : QEvent(eventType()), message_(message) {}
  const Message& message() const { return message_; }

 private:
  Message message_;
};

// "Messages were sent to this thread": handle them.
class WakeEvent : public QEvent {
 public:
  static QEvent::Type eventType();
  WakeEvent() : QEvent(eventType()) {}
};

}  // namespace platform
