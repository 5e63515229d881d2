#include "lockmere/users/FPLoginForm.h"

#include <QDebug>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/ResourceLibrary.h"
#include "platform/bus/MessageBus.h"

namespace users {
namespace {

QColor fromBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// The window's own popup with the program's icon and close button; without
// the resource library it has neither.
widgets::TMSNPopUp* createPopup(QObject* owner, widgets::PopupEnvironment environment) {
  auto* popup = new widgets::TMSNPopUp(owner, std::move(environment));
  widgets::ResourceLibrary resources;
  if (resources.load()) {
    popup->IconBitmap = resources.bitmap(QStringLiteral("ICONLOCKMERE"));
    popup->CloseIconBitmap = resources.bitmap(QStringLiteral("ICONCLOSE"));
  }
  QFont font = texts::uiFont();
  font.setPointSize(9);
  popup->Font.font = font;
  return popup;
}

}  // namespace

QString TFPLoginForm::promptText(const QString& siteName) {
  // Characters, not UTF-16 units: a name is never cut inside a character.
  const QList<uint> characters = siteName.toUcs4();
  QString shown = siteName;
  if (characters.size() > kSiteNameLength)
    shown = QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), kSiteNameLength) +
            QStringLiteral("...");
  return QString::fromUtf8(kPromptOpen) + shown + QString::fromUtf8(kPromptAfterSite) + QString::fromUtf8(kPromptRest);
}

TFPLoginForm::TFPLoginForm(SessionHost& host, const store::UserSettings& settings, platform::WindowHandle browserWindow,
                           const QString& siteName, std::unique_ptr<BrowserPage> page,
                           widgets::PopupEnvironment environment)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      host_(host),
      settings_(settings),
      browserWindow_(browserWindow),
      siteName_(siteName),
      page_(std::move(page)),
      receiver_([this](const platform::Message& m) { return onMessage(m); }),
      popup_(createPopup(this, std::move(environment))),
      sdk_(SensorWatch::createBinding(this)),
      util_(new bio::TNimbraUtil(this)),
      watch_(util_, receiver_.handle()) {
  takePlace(this);
  setObjectName(TCLoginForm::siteWindowName(browserWindow));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_DontShowOnScreen);
  util_->setNimbraMSDK(sdk_);
  watch_.onNoMatch = [this] {
    // A finger that did not match: the prompt again, with its time anew.
    if (promptShown_) showPrompt();
  };
  startUp();
}

TFPLoginForm::~TFPLoginForm() {
  finished_ = true;
  watch_.stop();
  delete sdk_;
  delete util_;
  popup_->OnPopupClose = nullptr;
  delete popup_;
}

std::int64_t TFPLoginForm::onMessage(const platform::Message& m) {
  if (finished_) return 0;
  if (m.message == platform::msg::kLoginStartVerify)
    startVerify();
  else if (m.message == platform::msg::kLoginAccepted)
    matched();
  return 0;
}

void TFPLoginForm::startUp() {
  if (!watch_.driverInstalled()) {
    showError(kNoDriver);
  } else if (watch_.sensorConnected()) {
    platform::MessageBus::post(handle(), platform::msg::kLoginStartVerify);
  } else {
    showError(kNoSensor);
    watch_.waitForSensor();
  }
}

void TFPLoginForm::showError(const char* text) {
  popup_->Title = QString::fromUtf8(kErrorTitle);
  popup_->Text = QString::fromUtf8(text);
  popup_->ShowPopUp();
}

void TFPLoginForm::startVerify() {
  // Without fingerprints of this user there is nothing to ask for.
  if (host_.userRecords().isEmpty()) return;
  watch_.verify(host_.userRecords());
  if (settings_.AlarmFPIMsg) showPrompt();
}

void TFPLoginForm::showPrompt() {
  // The request to plug the sensor in, if still open, is stale now.
  popup_->ClosePopUps();
  popup_->SiteID = 0;
  popup_->IEHandle = 0;
  popup_->TimeOut = settings_.FPIWaitTime;
  popup_->GradientColor1 = fromBgr(kPromptColor1);
  popup_->GradientColor2 = fromBgr(kPromptColor2);
  popup_->Width = kPromptWidth;
  popup_->Title = QString::fromUtf8(kPromptTitle);
  popup_->Text = promptText(siteName_);
  popup_->OnPopupClose = [this](widgets::TMSNPopUp*, int, platform::WindowHandle) { close(); };
  promptShown_ = popup_->ShowPopUp();
}

void TFPLoginForm::matched() {
  watch_.stop();
  PasswordAttempts::shared().recordSuccess();
  if (page_) submitLoginForm(*page_, false);
  popup_->OnPopupClose = nullptr;
  popup_->ClosePopUps();
  promptShown_ = false;
}

}  // namespace users
