#include "lockmere/shell/IdleWatch.h"

#include <algorithm>

namespace shell {

IdleWatch::IdleWatch(platform::WindowHandle mainWindow)
    : IdleWatch(
          mainWindow, [] { return std::make_shared<LMIDHookLibrary>(); }, std::make_shared<SystemIdleClock>()) {}

IdleWatch::IdleWatch(platform::WindowHandle mainWindow, HookFactory hooks, std::shared_ptr<IdleClock> clock)
    : mainWindow_(mainWindow), hooks_(std::move(hooks)), clock_(std::move(clock)) {}

IdleWatch::~IdleWatch() {
  stop();
  // Each destructor waits for its thread.
  ending_.clear();
}

bool IdleWatch::start(int periodMinutes) {
  stop();
  current_ = std::make_unique<TJaribium>(mainWindow_, periodMinutes, hooks_(), clock_);
  if (current_->Started()) return true;
  current_.reset();
  return false;
}

void IdleWatch::stop() {
  reapEnded();
  if (!current_) return;
  current_->Terminate();
  ending_.push_back(std::move(current_));
}

void IdleWatch::reapEnded() {
  std::erase_if(ending_, [](const std::unique_ptr<TJaribium>& watch) { return !watch->Running(); });
}

}  // namespace shell
