#include "lockmere/shell/Jaribium.h"

#include <algorithm>
#include <system_error>

#include "platform/bus/MessageBus.h"

namespace shell {

TJaribium::TJaribium(platform::WindowHandle target, int periodMinutes, std::shared_ptr<IdleHook> hook,
                     std::shared_ptr<IdleClock> clock)
    : target_(target),
      period_(std::max(periodMinutes, 1)),
      lastInput_(clock->now()),
      hook_(std::move(hook)),
      clock_(std::move(clock)) {
  if (!hook_->install()) return;
  hookInstalled_ = true;
  try {
    thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
    started_ = true;
  } catch (const std::system_error&) {
    releaseHook();
  }
}

TJaribium::~TJaribium() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  releaseHook();
}

void TJaribium::Terminate() { thread_.request_stop(); }

void TJaribium::releaseHook() {
  if (hookInstalled_.exchange(false)) hook_->uninstall();
}

void TJaribium::Execute(std::stop_token stop) {
  while (clock_->wait(kInterval, stop)) {
    // A failed call keeps the last input known.
    if (auto last = hook_->lastInputTime()) lastInput_ = *last;
    const double elapsedMinutes = (clock_->now() - lastInput_) * 24.0 * 60.0;
    if (elapsedMinutes > period_ && !platform::MessageBus::post(target_, platform::msg::kIdleLogout, 1, 0)) break;
  }
  releaseHook();
  finished_ = true;
}

bool TJaribium::isIdleSourceAvailable() {
  LMIDHookLibrary hook;
  if (!hook.install()) return false;
  hook.uninstall();
  return true;
}

}  // namespace shell
