#include "lockmere/web/SiteRegistration.h"

#include <QAction>

#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/ProtectedLogin.h"
#include "lockmere/web/RegistrationHost.h"
#include "platform/Registry.h"

namespace web {
namespace {

constexpr const char* kUsersKey = "\\Software\\Veradynics\\Lockmere\\Users\\";
constexpr const char* kAlarmNewSite = "AlarmNewSite";

}  // namespace

SiteRegistration::SiteRegistration(cdp::Browser& browser, RegistrationHost& host, QObject* parent)
    : QObject(parent),
      host_(host),
      offer_(host, [this](int siteId) { return form_ && form_->addMode() && form_->siteId() == siteId; }),
      request_(browser, host, *this) {}

SiteRegistration::~SiteRegistration() { delete form_.data(); }

void SiteRegistration::OfferNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code) {
  offer_.OfferNewSite(browser, browserWindow, code);
}

void SiteRegistration::RegisterRequest() { request_.Run(); }

void SiteRegistration::AddSiteMessage(std::int64_t siteId, std::int64_t browserWindow) {
  if (!host_.loggedIn()) return;
  openForm(static_cast<int>(siteId), true, static_cast<platform::WindowHandle>(browserWindow));
}

void SiteRegistration::ModifySite(int siteId) {
  if (!host_.loggedIn()) return;
  openForm(siteId, false, 0);
}

void SiteRegistration::openForm(int siteId, bool addMode, platform::WindowHandle browserWindow) {
  // One site form at a time: a second request shows the one that is open.
  if (form_) {
    raiseForm();
    return;
  }
  form_ = new TAddSiteForm(host_, siteId, addMode, browserWindow, host_.mainWindow());
  form_->setWindowModality(Qt::ApplicationModal);
  TAddSiteForm* form = form_;
  connect(form, &QDialog::finished, this, [this, form] {
    if (form_ == form) form_.clear();
    form->deleteLater();
  });
  form_->show();
}

void SiteRegistration::raiseForm() {
  if (!form_) return;
  form_->raise();
  form_->activateWindow();
}

void SiteRegistration::closeForm() {
  if (form_) form_->reject();
}

void SiteRegistration::installTreeHooks() {
  TExplorerFrame& frame = host_.explorer();
  frame.setModifySiteHook([this](int siteId) { ModifySite(siteId); });
  frame.setProtectedPostHook([this, &frame](const QString& url, const QByteArray& parameters) {
    ProtectedPost(frame, url, parameters, [this](const QString& text) { host_.showMessage(text); });
  });
}

bool SiteRegistration::TrayMenu_AlarmNewSiteClick(QAction* entry) {
  const bool on = !host_.alarmNewSite();
  if (entry) {
    entry->setCheckable(true);
    entry->setChecked(on);
  }
  host_.setAlarmNewSite(on);
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.createKey(kUsersKey + host_.userId());
  return key && static_cast<bool>(key.value().writeBool(kAlarmNewSite, on));
}

}  // namespace web
