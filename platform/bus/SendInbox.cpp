#include "platform/bus/SendInbox.h"

#include "platform/bus/MessageBus.h"

namespace platform {
namespace {

// Closes the thread's inbox when the thread ends, so senders waiting on it are released.
struct InboxOfThread {
  std::shared_ptr<SendInbox> inbox;
  ~InboxOfThread() {
    if (inbox) inbox->cancelFor(0);
  }
};

}  // namespace

std::shared_ptr<SendInbox> SendInbox::current() {
  thread_local InboxOfThread holder;
  if (!holder.inbox) holder.inbox = std::make_shared<SendInbox>();
  return holder.inbox;
}

SendInbox::~SendInbox() { close(); }

void SendInbox::close() { cancelFor(0); }

bool SendInbox::push(std::shared_ptr<SendRequest> request) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    queue_.push_back(std::move(request));
  }
  wake_.notify_all();  // the owner may be waiting in a send of its own
  return true;
}

std::shared_ptr<SendRequest> SendInbox::popLocked() {
  if (queue_.empty()) return nullptr;
  auto next = std::move(queue_.front());
  queue_.pop_front();
  return next;
}

void SendInbox::dispatchPending() {
  while (true) {
    std::shared_ptr<SendRequest> next;
    {
      std::lock_guard lock(mutex_);
      next = popLocked();
    }
    if (!next) return;
    MessageBus::dispatchSent(*next);
  }
}

void SendInbox::cancelFor(WindowHandle window) {
  std::deque<std::shared_ptr<SendRequest>> cancelled;
  {
    std::lock_guard lock(mutex_);
    if (window == 0) {
      closed_ = true;  // the thread ended: nothing will ever be handled here
      cancelled.swap(queue_);
    } else {
      for (auto it = queue_.begin(); it != queue_.end();)
        if ((*it)->message.window == window) {
          cancelled.push_back(std::move(*it));
          it = queue_.erase(it);
        } else {
          ++it;
        }
    }
  }
  for (auto& request : cancelled) complete(*request, false, 0);
}

std::size_t SendInbox::pendingFor(WindowHandle window) {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& r : queue_) n += r->message.window == window;
  return n;
}

bool SendInbox::waitFor(const std::shared_ptr<SendRequest>& request,
                        std::optional<std::chrono::steady_clock::time_point> deadline) {
  std::unique_lock lock(mutex_);
  while (!request->done) {
    if (auto next = popLocked()) {
      lock.unlock();
      MessageBus::dispatchSent(*next);
      lock.lock();
      continue;
    }
    if (!deadline) {
      wake_.wait(lock);
    } else if (wake_.wait_until(lock, *deadline) == std::cv_status::timeout && !request->done && queue_.empty()) {
      return false;
    }
  }
  return true;
}

void SendInbox::complete(SendRequest& request, bool delivered, std::int64_t result) {
  SendInbox& sender = *request.replyTo;
  {
    std::lock_guard lock(sender.mutex_);
    request.done = true;
    request.delivered = delivered;
    request.result = result;
  }
  sender.wake_.notify_all();
}

}  // namespace platform
