#include "lockmere/bio/NimbraThread.h"

#include <QCoreApplication>
#include <QtDebug>
#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/bus/MessageBus.h"

namespace bio {
namespace {

constexpr int kOpenAttempts = 100;
constexpr auto kStopAtExit = std::chrono::seconds(3);
constexpr const char* kNoInputDevice = "Cannot find fingerprint input device. Please try again.";

// Every thread that was started and may still run. Never destroyed: threads end
// while the program's statics go away.
struct LiveThreads {
  std::mutex mutex;
  std::vector<std::weak_ptr<TNimbraThread>> threads;
  bool stopAtExitRegistered = false;
};

LiveThreads& live() {
  static auto* threads = new LiveThreads;
  return *threads;
}

void stopAllAtExit() {
  {
    std::lock_guard lock(live().mutex);
    live().stopAtExitRegistered = false;  // a later application object registers again
  }
  TNimbraThread::StopAll(kStopAtExit);
}

bool sameMessage(const platform::Message& a, const platform::Message& b) {
  return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

}  // namespace

TNimbraThread::TNimbraThread(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk)
    : window_(window), sdk_(std::move(sdk)) {}

TNimbraThread::~TNimbraThread() = default;

bool TNimbraThread::Start() {
  {
    auto& l = live();
    std::lock_guard lock(l.mutex);
    std::erase_if(l.threads, [](const std::weak_ptr<TNimbraThread>& t) { return t.expired(); });
    l.threads.push_back(weak_from_this());
    if (!l.stopAtExitRegistered && QCoreApplication::instance()) {
      qAddPostRoutine(stopAllAtExit);
      l.stopAtExitRegistered = true;
    }
  }
  try {
    std::thread([self = shared_from_this()] { self->run(); }).detach();
  } catch (const std::system_error& e) {
    qWarning("cannot start a fingerprint thread: %s", e.what());
    std::lock_guard lock(mutex_);
    finished_ = true;
    return false;
  }
  return true;
}

void TNimbraThread::run() {
  try {
    Execute();
  } catch (const std::exception& e) {
    qWarning("fingerprint thread ended: %s", e.what());
  } catch (...) {
    qWarning("fingerprint thread ended by an unknown exception");
  }
  sdk_.reset();  // a reference to an ended thread does not keep the libraries loaded
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

void TNimbraThread::Terminate() { stop_.request_stop(); }

bool TNimbraThread::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void TNimbraThread::WaitForEnd(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return finished_ || inSend_; });
}

bool TNimbraThread::Claim(const platform::Message& message) {
  std::lock_guard lock(mutex_);
  if (!delivering_ || !sameMessage(*delivering_, message)) return false;
  delivering_.reset();
  return true;
}

bool TNimbraThread::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, stop_.get_token(), duration, [] { return false; });
  return !stop_.stop_requested();
}

bool TNimbraThread::Send(std::uint32_t message, std::int64_t wParam, std::int64_t lParam) {
  {
    std::lock_guard lock(mutex_);
    delivering_ = platform::Message{window_, message, wParam, lParam};
    inSend_ = true;
  }
  changed_.notify_all();
  const bool handled = platform::MessageBus::send(window_, message, wParam, lParam).has_value();
  std::lock_guard lock(mutex_);
  delivering_.reset();
  inSend_ = false;
  return handled;
}

bool TNimbraThread::Post(std::uint32_t message, std::int64_t wParam, std::int64_t lParam) {
  std::lock_guard lock(mutex_);
  // Set before posting: the handler may run before post() returns.
  delivering_ = platform::Message{window_, message, wParam, lParam};
  const bool posted = platform::MessageBus::post(window_, message, wParam, lParam);
  if (!posted) delivering_.reset();
  return posted;
}

void TNimbraThread::OpenSensorForStart(char* message, int* error) const {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (Sdk().VD_OpenSensor(message, error) == 1 && *error == 0) return;
    int closeError = 0;
    char closeMessage[kMessageSize];
    Sdk().VD_CloseSensor(closeMessage, &closeError);
  }
  throw NimbraError(kNoInputDevice);
}

void TNimbraThread::StopAll(std::chrono::milliseconds timeout) {
  std::vector<std::shared_ptr<TNimbraThread>> running;
  {
    auto& l = live();
    std::lock_guard lock(l.mutex);
    for (const auto& weak : l.threads)
      if (auto t = weak.lock()) running.push_back(std::move(t));
    std::erase_if(l.threads, [](const std::weak_ptr<TNimbraThread>& t) { return t.expired(); });
  }
  for (const auto& t : running) t->Terminate();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (const auto& t : running) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    t->WaitForEnd(std::max(left, std::chrono::milliseconds(0)));
  }
}

}  // namespace bio
