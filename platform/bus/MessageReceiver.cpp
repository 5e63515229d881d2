#include "platform/bus/MessageReceiver.h"

#include <QPointer>
#include <QtDebug>
#include <exception>

#include "platform/bus/BusEvents.h"
#include "platform/bus/MessageBus.h"
#include "platform/bus/SendInbox.h"

namespace platform {

QEvent::Type PostedMessageEvent::eventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type WakeEvent::eventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

MessageReceiver::MessageReceiver(MessageHandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), inbox_(SendInbox::current()) {
  handle_ = MessageBus::attach(this);
}

MessageReceiver::~MessageReceiver() {
  MessageBus::detach(handle_);
  inbox_->cancelFor(handle_);  // senders waiting for this window are released
}

void MessageReceiver::setHandler(MessageHandler handler) { handler_ = std::move(handler); }

bool MessageReceiver::event(QEvent* event) {
  if (event->type() == WakeEvent::eventType()) {
    inbox_->dispatchPending();
    return true;
  }
  if (event->type() == PostedMessageEvent::eventType()) {
    Message message = static_cast<PostedMessageEvent*>(event)->message();
    QPointer<MessageReceiver> alive(this);
    inbox_->dispatchPending();  // sent messages go before posted ones, as senders are waiting
    if (alive) deliver(message);
    return true;
  }
  return QObject::event(event);
}

std::int64_t MessageReceiver::deliver(const Message& message) {
  // A copy, so that a handler may destroy its own window (better: deleteLater()).
  MessageHandler handler = handler_;
  if (!handler) return 0;
  // A handler that throws must not take the event loop (or a waiting sender) down with it.
  try {
    return handler(message);
  } catch (const std::exception& e) {
    qWarning("message 0x%x to window 0x%x failed: %s", message.message, message.window, e.what());
  } catch (...) {
    qWarning("message 0x%x to window 0x%x failed", message.message, message.window);
  }
  return 0;
}

}  // namespace platform
