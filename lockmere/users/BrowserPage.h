#pragma once

namespace users {

// The browser window a site-mode confirmation or fingerprint login window was
// opened for, as the browser side offers it: the windows fill the site's login
// form in it and submit it once the user is confirmed. The browser side
// implements it; its calls may throw, and the windows ignore such failures.
class BrowserPage {
 public:
  enum class Key { End, Enter };

  virtual ~BrowserPage() = default;

  virtual void bringToForeground() = 0;
  // Fills the site's login form in the page.
  virtual void fillLoginForm() = 0;
  // Presses and releases a key in the page.
  virtual void pressAndRelease(Key key) = 0;
};

}  // namespace users
