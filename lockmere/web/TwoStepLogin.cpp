#include "lockmere/web/TwoStepLogin.h"

namespace web {

std::shared_ptr<SecondStep> TwoStepLogins::begin(platform::WindowHandle window, int siteId) {
  dropExpired();
  auto step = std::make_shared<SecondStep>(siteId);
  steps_[window] = step;
  return step;
}

bool TwoStepLogins::armed(platform::WindowHandle window, int siteId) const {
  auto it = steps_.find(window);
  return it != steps_.end() && it->second->armedFor(siteId);
}

void TwoStepLogins::dropExpired() {
  // Steps never armed (the user did not confirm) go with the armed ones' time.
  const auto now = SecondStep::Clock::now();
  std::erase_if(steps_, [&](const auto& entry) {
    return !entry.second->armedFor(entry.second->siteId(), now) && entry.second.use_count() == 1;
  });
}

}  // namespace web
