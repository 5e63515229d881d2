#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/bus/Message.h"

namespace platform {

class SendInbox;

// A message sent to a window of another thread, waiting for its result.
struct SendRequest {
  Message message;
  std::shared_ptr<SendInbox> replyTo;  // the sender's inbox: its lock guards the fields below
  bool done = false;
  bool delivered = false;
  std::int64_t result = 0;
};

// Messages sent to the windows of one thread (internal to the bus). The thread
// handles them from its event loop, and also while it waits in a send of its own,
// so that two threads sending to each other cannot deadlock.
class SendInbox {
 public:
  // This thread's inbox, created on first use and closed when the thread ends.
  static std::shared_ptr<SendInbox> current();

  ~SendInbox();

  // Queues a request; false when the thread has ended.
  bool push(std::shared_ptr<SendRequest> request);
  // Handles every queued request (on the inbox's own thread).
  void dispatchPending();
  // Completes the queued requests for a window that goes away, as not delivered.
  void cancelFor(WindowHandle window);
  std::size_t pendingFor(WindowHandle window);
  // On the inbox's own thread: waits until the request is done, handling requests sent
  // to this thread meanwhile. False when the deadline passed first.
  bool waitFor(const std::shared_ptr<SendRequest>& request,
               std::optional<std::chrono::steady_clock::time_point> deadline);

  static void complete(SendRequest& request, bool delivered, std::int64_t result);

 private:
  void close();
  std::shared_ptr<SendRequest> popLocked();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<SendRequest>> queue_;
  bool closed_ = false;
};

}  // namespace platform
