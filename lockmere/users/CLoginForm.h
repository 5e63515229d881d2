#pragma once

#include <memory>

#include "lockmere/users/BrowserPage.h"
#include "lockmere/users/OneOfAKind.h"
#include "lockmere/users/ReauthForm.h"

class QGroupBox;
class QPlainTextEdit;

namespace users {

// The confirmation window: the logged-in user confirms who they are, by
// password or finger, before a sensitive command (command mode: modal, the
// caller reads mrOK) or before a site whose login type asks for it is logged
// into (site mode: not modal; on success it fills and submits the page's
// login form and closes). Topmost; freed when closed.
class TCLoginForm : public ReauthForm, public OneOfAKind<TCLoginForm> {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Lockmere - 확인";
  static constexpr const char* kGroupCaption = "님의 비밀번호를 입력하세요";  // after the user ID
  static constexpr int kTopBelowMainWindow = 120;

  // Command mode.
  explicit TCLoginForm(SessionHost& host, QWidget* parent = nullptr);
  // Site mode, for the browser window with that handle.
  TCLoginForm(SessionHost& host, platform::WindowHandle browserWindow, std::unique_ptr<BrowserPage> page,
              QWidget* parent = nullptr);
  ~TCLoginForm() override;

  bool isSiteMode() const { return page_ != nullptr; }
  platform::WindowHandle browserWindow() const { return browserWindow_; }

  // "FPLF" and the browser window's handle in 16 hexadecimal digits: the name
  // the site-mode windows go by.
  static QString siteWindowName(platform::WindowHandle browserWindow);

 protected:
  void confirmed() override;
  void showStatus(const QString& text, bool replace) override;

 private:
  void buildControls();

  std::unique_ptr<BrowserPage> page_;
  platform::WindowHandle browserWindow_ = 0;
  QGroupBox* GroupBox1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
};

// Fills and submits the page's login form: the browser to the front (when
// asked), the form filled, the browser to the front, End, 4 ms, Enter. A
// failing call is ignored, as the browser automation's failures are.
void submitLoginForm(BrowserPage& page, bool toFrontFirst = true);

}  // namespace users
