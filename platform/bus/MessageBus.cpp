#include "platform/bus/MessageBus.h"

#include <QCoreApplication>
#include <QEvent>
#include <mutex>
#include <unordered_map>

#include "platform/bus/BusEvents.h"
#include "platform/bus/MessageReceiver.h"
#include "platform/bus/SendInbox.h"

namespace platform {
namespace {

// Handles start high and count up, wrapping past 0: a released handle comes back
// only after four billion others, so a stale handle never reaches a new window.
constexpr WindowHandle kFirstHandle = 0x00010000;

struct Window {
  MessageReceiver* receiver = nullptr;  // null for a handle that receives nothing
  std::shared_ptr<SendInbox> inbox;
};

struct Windows {
  std::mutex mutex;
  std::unordered_map<WindowHandle, Window> byHandle;
  WindowHandle next = kFirstHandle;

  WindowHandle add(Window window) {
    while (true) {
      WindowHandle h = next++;
      if (next == 0) next = 1;
      if (h != 0 && !byHandle.count(h)) {
        byHandle.emplace(h, std::move(window));
        return h;
      }
    }
  }
};

// Never destroyed: windows may still go away while the program's statics are torn down.
Windows& windows() {
  static Windows* w = new Windows;
  return *w;
}

}  // namespace

WindowHandle MessageBus::attach(MessageReceiver* receiver) {
  auto& w = windows();
  std::lock_guard lock(w.mutex);
  return w.add({receiver, SendInbox::current()});
}

void MessageBus::detach(WindowHandle window) {
  auto& w = windows();
  std::lock_guard lock(w.mutex);
  w.byHandle.erase(window);
}

WindowHandle MessageBus::allocateHandle() {
  auto& w = windows();
  std::lock_guard lock(w.mutex);
  return w.add({});
}

void MessageBus::releaseHandle(WindowHandle window) {
  auto& w = windows();
  std::lock_guard lock(w.mutex);
  auto it = w.byHandle.find(window);
  if (it != w.byHandle.end() && !it->second.receiver) w.byHandle.erase(it);  // a receiver releases its own
}

bool MessageBus::isWindow(WindowHandle window) {
  auto& w = windows();
  std::lock_guard lock(w.mutex);
  return w.byHandle.count(window) > 0;
}

std::size_t MessageBus::pendingSends(WindowHandle window) {
  std::shared_ptr<SendInbox> inbox;
  {
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    auto it = w.byHandle.find(window);
    if (it == w.byHandle.end() || !it->second.inbox) return 0;
    inbox = it->second.inbox;
  }
  return inbox->pendingFor(window);
}

bool MessageBus::post(WindowHandle window, std::uint32_t message, std::int64_t wParam, std::int64_t lParam) {
  auto& w = windows();
  // Posted under the lock: a receiver detaches under the same lock before it dies,
  // so no event can be queued for a receiver that is already gone.
  std::lock_guard lock(w.mutex);
  auto it = w.byHandle.find(window);
  if (it == w.byHandle.end() || !it->second.receiver) return false;
  QCoreApplication::postEvent(it->second.receiver, new PostedMessageEvent({window, message, wParam, lParam}));
  return true;
}

std::optional<std::int64_t> MessageBus::send(WindowHandle window, std::uint32_t message, std::int64_t wParam,
                                             std::int64_t lParam) {
  return sendUntil({window, message, wParam, lParam}, std::nullopt);
}

std::optional<std::int64_t> MessageBus::send(WindowHandle window, std::uint32_t message, std::int64_t wParam,
                                             std::int64_t lParam, std::chrono::milliseconds timeout) {
  return sendUntil({window, message, wParam, lParam}, std::chrono::steady_clock::now() + timeout);
}

std::optional<std::int64_t> MessageBus::sendUntil(const Message& message,
                                                  std::optional<std::chrono::steady_clock::time_point> deadline) {
  auto mine = SendInbox::current();
  auto request = std::make_shared<SendRequest>();
  request->message = message;
  request->replyTo = mine;
  MessageReceiver* sameThread = nullptr;
  {
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    auto it = w.byHandle.find(message.window);
    if (it == w.byHandle.end() || !it->second.receiver) return std::nullopt;
    if (it->second.inbox == mine) {
      sameThread = it->second.receiver;
    } else {
      if (!it->second.inbox->push(request)) return std::nullopt;
      // Wakes the receiver's event loop; a thread busy in a send of its own sees the
      // request through its inbox instead.
      QCoreApplication::postEvent(it->second.receiver, new WakeEvent);
    }
  }
  // Receivers die only on their own thread, so this one outlives the call.
  if (sameThread) return sameThread->deliver(message);
  if (!mine->waitFor(request, deadline)) return std::nullopt;
  if (!request->delivered) return std::nullopt;
  return request->result;
}

void MessageBus::dispatchSent(SendRequest& request) {
  MessageReceiver* receiver = nullptr;
  {
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    auto it = w.byHandle.find(request.message.window);
    if (it != w.byHandle.end()) receiver = it->second.receiver;
  }
  // Called on the receiver's own thread (its inbox), where it cannot vanish meanwhile.
  if (!receiver) {
    SendInbox::complete(request, false, 0);
    return;
  }
  std::int64_t result = receiver->deliver(request.message);
  SendInbox::complete(request, true, result);
}

}  // namespace platform
