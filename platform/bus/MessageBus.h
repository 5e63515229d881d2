#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/bus/Message.h"

namespace platform {

class MessageReceiver;
struct SendRequest;

// Window handles and window messages between the threads of the program.
//
// Every window that receives messages owns a MessageReceiver, which gives it a
// handle. post() queues a message to the receiver's thread and returns at once;
// send() runs the receiver's handler on the receiver's thread and waits for its
// result (directly, when the sender is that thread). While a thread waits in
// send(), it keeps handling messages sent to its own windows, so two threads that
// send to each other do not deadlock. Messages to a handle that is unknown or
// whose window was destroyed fail (false / nullopt); they never crash.
//
//   platform::MessageReceiver hidden([&](const platform::Message& m) -> std::int64_t {
//     if (m.message == platform::msg::kVerified) onVerified(int(m.wParam));
//     return 0;
//   });
//   // in the worker thread:
//   platform::MessageBus::send(hiddenHandle, platform::msg::kVerified, index);
//
// All functions may be called from any thread. Posted messages need a running Qt
// event loop in the receiver's thread (QCoreApplication in the main thread).
class MessageBus {
 public:
  static bool post(WindowHandle window, std::uint32_t message, std::int64_t wParam = 0, std::int64_t lParam = 0);

  // The handler's result; nullopt when the window is unknown, is destroyed before
  // it handles the message, or its thread ended.
  static std::optional<std::int64_t> send(WindowHandle window, std::uint32_t message, std::int64_t wParam = 0,
                                          std::int64_t lParam = 0);
  // As send(), but gives up after the timeout (the message may still be handled later).
  static std::optional<std::int64_t> send(WindowHandle window, std::uint32_t message, std::int64_t wParam,
                                          std::int64_t lParam, std::chrono::milliseconds timeout);

  // Whether a window (receiving or not) holds the handle.
  static bool isWindow(WindowHandle window);

  // A handle for a window that receives no messages here (a browser window, say),
  // so that messages can name it. Give it back with releaseHandle().
  static WindowHandle allocateHandle();
  static void releaseHandle(WindowHandle window);

  // Messages sent to the window that it has not handled yet (diagnostics).
  static std::size_t pendingSends(WindowHandle window);

 private:
  friend class MessageReceiver;
  friend class SendInbox;
  static WindowHandle attach(MessageReceiver* receiver);
  static void detach(WindowHandle window);
  static void dispatchSent(SendRequest& request);
  static std::optional<std::int64_t> sendUntil(const Message& message,
                                               std::optional<std::chrono::steady_clock::time_point> deadline);
};

}  // namespace platform
