#pragma once

#include <QPointer>

#include "lockmere/users/BrowserPage.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/FPLoginForm.h"
#include "lockmere/web/AutoLoginHost.h"

namespace web {

class BrowserSideHost;

// The page a site's confirmation or fingerprint login window fills once the
// user is confirmed. The site is found again by its ID (the user may have
// deleted it meanwhile); without it nothing is filled and no key is pressed.
class PendingPage : public users::BrowserPage {
 public:
  PendingPage(BrowserSideHost& host, PendingLogin login) : host_(host), login_(std::move(login)) {}

  void bringToForeground() override;
  void fillLoginForm() override;
  void pressAndRelease(Key key) override;

 private:
  BrowserSideHost& host_;
  PendingLogin login_;
  bool filled_ = false;
};

// The windows that stand between a matched page and its login: at most one
// confirmation window (login type 3) and one fingerprint login window (type 4),
// each named "FPLF" + the browser window's handle in 16 hexadecimal digits.
class SiteLoginWindows {
 public:
  explicit SiteLoginWindows(BrowserSideHost& host) : host_(host) {}
  ~SiteLoginWindows() { freeAll(); }
  SiteLoginWindows(const SiteLoginWindows&) = delete;
  SiteLoginWindows& operator=(const SiteLoginWindows&) = delete;

  // A confirmation window in site mode, centred over the browser window (over
  // the screen when its place is unknown), shown and brought to the front.
  void openConfirm(const PendingLogin& login);
  // A fingerprint login window (never visible: it speaks through its popup).
  void openFingerprint(const PendingLogin& login);

  void freeConfirm();
  void freeFingerprint();
  void freeAll();
  // Messages 0x4FA and 0x4FD: frees the windows opened for that browser window.
  void freeWindowsOf(platform::WindowHandle browserWindow);

  bool fingerprintOpen() const { return !fingerprint_.isNull(); }
  // When a confirmation window is open: on top, in front, true.
  bool raiseConfirm();

  users::TCLoginForm* confirmWindow() const { return confirm_; }
  users::TFPLoginForm* fingerprintWindow() const { return fingerprint_; }

 private:
  BrowserSideHost& host_;
  QPointer<users::TCLoginForm> confirm_;
  QPointer<users::TFPLoginForm> fingerprint_;
};

}  // namespace web
