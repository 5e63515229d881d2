#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>

#include "platform/WindowMessages.h"

namespace web {

// A login in two pages: the ID on the first, the password on the next. Once the
// ID has been submitted under the site's login type (at once, or after the
// confirmation or fingerprint window), the step is armed: the site's password
// page that follows in the same browser window is filled and submitted without
// asking again, and only once.
class SecondStep {
 public:
  using Clock = std::chrono::steady_clock;
  // The password page must follow the ID's submission within this time.
  static constexpr std::chrono::seconds kPasswordPageWithin{30};

  explicit SecondStep(int siteId) : siteId_(siteId) {}

  int siteId() const { return siteId_; }
  // The ID is being submitted: the password page may follow.
  void arm() { armedAt_ = Clock::now(); }
  bool armedFor(int siteId, Clock::time_point now = Clock::now()) const {
    return siteId == siteId_ && armedAt_ && now - *armedAt_ <= kPasswordPageWithin;
  }

 private:
  int siteId_;
  std::optional<Clock::time_point> armedAt_;
};

// The second steps waiting, one per browser window (a new first step replaces
// the window's last).
class TwoStepLogins {
 public:
  // A first step for the site in the window; armed later by the one that submits it.
  std::shared_ptr<SecondStep> begin(platform::WindowHandle window, int siteId);
  // Whether the window's page may be the site's password page.
  bool armed(platform::WindowHandle window, int siteId) const;
  // The password page is being filled: the step is used up.
  void finish(platform::WindowHandle window) { steps_.erase(window); }
  // Logout: no step of the old session goes on.
  void clear() { steps_.clear(); }

 private:
  void dropExpired();

  std::unordered_map<platform::WindowHandle, std::shared_ptr<SecondStep>> steps_;
};

}  // namespace web
