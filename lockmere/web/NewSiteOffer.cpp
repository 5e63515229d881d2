#include "lockmere/web/NewSiteOffer.h"

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/FormCapture.h"
#include "lockmere/web/RegistrationHost.h"
#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "platform/bus/MessageBus.h"

namespace web {
namespace {

const QString kEllipsis = QStringLiteral("...");
const QString kBlankLine = QStringLiteral("\r\n\r\n");

// The first n characters (never half of a surrogate pair).
QString firstCharacters(const QString& text, int n) {
  int end = 0;
  for (int count = 0; end < text.size() && count < n; ++count)
    end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
  return text.left(end);
}

}  // namespace

NewSiteOffer::NewSiteOffer(RegistrationHost& host, std::function<bool(int)> keepRecord)
    : host_(host), keepRecord_(std::move(keepRecord)) {}

QString NewSiteOffer::PopupText(const QString& pageTitle) {
  QString title = firstCharacters(pageTitle, kTitleLength);
  if (title.size() < pageTitle.size()) title += kEllipsis;
  return texts::M(61) + title + texts::M(62) + kBlankLine + texts::M(32);
}

void NewSiteOffer::OfferNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code) {
  code = kOffered;
  if (!host_.loggedIn()) return;
  if (!host_.alarmNewSite()) {
    code = kAlarmNewSiteOff;
    return;
  }
  if (!browser || browser->isClosed()) return;
  std::optional<Document> document;
  GetDocumentOfWindow(browser->mainFrame(), document);
  if (!document) return;
  std::optional<LoginForm> form;
  std::string frameName;
  if (!FindPasswordForm(document->window(), form, frameName)) {
    code = kNoLoginFormOnPage;
    return;
  }
  store::TRegSiteList& detected = host_.detectedSites();
  const int id = CaptureLoginForm(browser, *form, frameName, detected);
  // A page that went away meanwhile leaves nothing to register.
  const store::TRegSiteCollItem* captured = detected.RegSites().findById(id);
  if (!captured) return;

  widgets::TMSNPopUp& popup = host_.popup();
  popup.SiteID = id;
  popup.IEHandle = browserWindow;
  popup.TimeOut = kTimeOut;
  popup.GradientColor1 = widgets::colorFromTColor(kGradientColor1);
  popup.GradientColor2 = widgets::colorFromTColor(kGradientColor2);
  popup.Title = texts::M(31);
  popup.Width = kWidth;
  popup.Options = {};
  popup.Text = PopupText(QString::fromStdString(captured->Name));
  popup.OnClick = [this](widgets::TMSNPopUp*, int siteId, platform::WindowHandle ie) { PopupClick(siteId, ie); };
  popup.OnPopupClose = [this](widgets::TMSNPopUp*, int siteId, platform::WindowHandle) { PopupClose(siteId); };
  if (popup.ShowPopUp()) {
    host_.setNewSiteNoticePending(true);
  } else {
    detected.RegSites().removeById(id);  // no room on the screen: nobody can click it
  }
}

void NewSiteOffer::PopupClick(int siteId, platform::WindowHandle browserWindow) {
  host_.setNewSiteNoticePending(false);
  platform::MessageBus::post(host_.mainWindowHandle(), platform::msg::kAddSite, siteId, browserWindow);
}

void NewSiteOffer::PopupClose(int siteId) {
  host_.setNewSiteNoticePending(false);
  if (!host_.loggedIn() || (keepRecord_ && keepRecord_(siteId))) return;
  host_.detectedSites().RegSites().removeById(siteId);
}

}  // namespace web
