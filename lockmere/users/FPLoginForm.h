#pragma once

#include <QWidget>
#include <memory>

#include "lockmere/store/UserSettings.h"
#include "lockmere/users/BrowserPage.h"
#include "lockmere/users/OneOfAKind.h"
#include "lockmere/users/SensorWatch.h"
#include "lockmere/widgets/MSNPopUpProperties.h"
#include "platform/bus/MessageReceiver.h"

namespace bio {
class TNimbraMSDK;
class TNimbraUtil;
}  // namespace bio

namespace widgets {
class TMSNPopUp;
}

namespace users {

class SessionHost;

// The fingerprint login window of a site whose login type asks for a finger:
// never visible itself, it speaks through its own notification popup, waits
// for a finger of the logged-in user and then fills and submits the site's
// login form in the browser window. Freed when closed, and closed when the
// prompt's popup goes away.
class TFPLoginForm : public QWidget, public OneOfAKind<TFPLoginForm> {
  Q_OBJECT

 public:
  static constexpr const char* kErrorTitle = "Lockmere - 오류";
  static constexpr const char* kNoSensor = "지문인식기 Nimbra를 USB포트에\r\n\r\n연결하여 주십시오.";
  static constexpr const char* kNoDriver = "Nimbra Device Driver가\r\n\r\n설치되어 있지 않습니다.";
  static constexpr const char* kPromptTitle = "Lockmere - 지문로그인";
  static constexpr const char* kPromptOpen = "『";
  static constexpr const char* kPromptAfterSite = "』에\r\n\r\n";
  static constexpr const char* kPromptRest = "로그인 하시려면 지문인식기에\r\n\r\n지문을 입력해 주십시오.";
  static constexpr int kSiteNameLength = 28;
  static constexpr int kPromptWidth = 240;
  static constexpr unsigned kPromptColor1 = 0xFCE1D3;  // 0x00BBGGRR
  static constexpr unsigned kPromptColor2 = 0xF39C89;

  // settings: the main window's (AlarmFPIMsg, FPIWaitTime are read when the
  // prompt is shown). environment: where the popups go (the desktop by default).
  TFPLoginForm(SessionHost& host, const store::UserSettings& settings, platform::WindowHandle browserWindow,
               const QString& siteName, std::unique_ptr<BrowserPage> page, widgets::PopupEnvironment environment = {});
  ~TFPLoginForm() override;

  platform::WindowHandle handle() const { return receiver_.handle(); }
  platform::WindowHandle browserWindow() const { return browserWindow_; }
  bool isVerifying() const { return watch_.isVerifying(); }
  widgets::TMSNPopUp* popup() const { return popup_; }

  // The prompt's text: the site name (cut to 28 characters and "..." when
  // longer) in corner brackets, then the request for the finger.
  static QString promptText(const QString& siteName);

 private:
  std::int64_t onMessage(const platform::Message& m);
  void startUp();
  void startVerify();  // 0x402
  void matched();      // 0x403
  void showError(const char* text);
  void showPrompt();

  SessionHost& host_;
  const store::UserSettings& settings_;
  platform::WindowHandle browserWindow_;
  QString siteName_;
  std::unique_ptr<BrowserPage> page_;
  platform::MessageReceiver receiver_;
  widgets::TMSNPopUp* popup_ = nullptr;
  bio::TNimbraMSDK* sdk_;
  bio::TNimbraUtil* util_;
  SensorWatch watch_;
  bool promptShown_ = false;
  bool finished_ = false;
};

}  // namespace users
