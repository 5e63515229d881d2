#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

#include "lockmere/bio/NimbraExports.h"
#include "platform/bus/Message.h"

namespace bio {

// What the worker threads of the fingerprint utility (TCheckConnectNimbra,
// TEnroll, TVerify) have in common.
//
// A thread is made in the calling thread, then Start()ed; it frees itself when
// it ends (the running thread owns the object, and through it the libraries,
// see NimbraExports). Stopping means Terminate(): the thread ends at its next
// check and nobody joins it. It reaches the program only through messages to
// the hidden window whose handle it holds; it never touches a window, the
// utility that started it or a caller's buffer. So:
// - a window that is gone makes the thread's next message fail, and it ends;
// - a message it sent before it was stopped, handled after: the window asks
//   Claim(), which says no, and drops the message;
// - when the application object goes away, StopAll() stops every running thread
//   and waits (bounded) until none is inside a library any more.
class TNimbraThread : public std::enable_shared_from_this<TNimbraThread> {
 public:
  static constexpr int kMessageSize = 256;

  TNimbraThread(const TNimbraThread&) = delete;
  TNimbraThread& operator=(const TNimbraThread&) = delete;
  virtual ~TNimbraThread();

  // Runs Execute() on a new thread. False when the system gives no thread.
  bool Start();
  // Asks the thread to end at its next check. Any thread.
  void Terminate();
  bool Terminated() const { return stop_.stop_requested(); }
  bool Finished() const;
  // Returns once the thread has ended, or waits for the window's thread to
  // handle a message it sent (it cannot end before the caller gets back to its
  // event loop), or after the timeout.
  void WaitForEnd(std::chrono::milliseconds timeout) const;

  platform::WindowHandle Window() const { return window_; }

  // In the window's handler: whether the message being handled is the one this
  // thread is delivering. Answers yes once per message, so an identical message
  // from another thread is not taken for this one's.
  bool Claim(const platform::Message& message);

  // Stops every running thread and waits until they have ended, at most timeout
  // in all. Runs when the application object is destroyed.
  static void StopAll(std::chrono::milliseconds timeout);

 protected:
  TNimbraThread(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk);

  virtual void Execute() = 0;

  const NimbraExports& Sdk() const { return *sdk_; }
  // Sleeps; false when asked to terminate meanwhile.
  bool Pause(std::chrono::milliseconds duration);
  // Sends to the window and waits until it has handled the message; false when
  // the window is gone.
  bool Send(std::uint32_t message, std::int64_t wParam = 0, std::int64_t lParam = 0);
  // Posts to the window; false when it is gone.
  bool Post(std::uint32_t message, std::int64_t wParam = 0, std::int64_t lParam = 0);

  // For a thread about to start (in the calling thread): VD_OpenSensor up to 100
  // times, VD_CloseSensor after each failed attempt. Throws NimbraError "Cannot
  // find fingerprint input device. Please try again." when none succeeds.
  void OpenSensorForStart(char* message, int* error) const;

 private:
  void run();

  const platform::WindowHandle window_;
  std::shared_ptr<const NimbraExports> sdk_;  // given back when the thread ends
  std::stop_source stop_;

  mutable std::mutex mutex_;
  mutable std::condition_variable_any changed_;
  std::optional<platform::Message> delivering_;  // sent or posted, not claimed yet
  bool inSend_ = false;                          // waiting for the window's thread
  bool finished_ = false;
};

}  // namespace bio
