#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

#include "lockmere/web/AddSiteForm.h"
#include "lockmere/web/NewSiteOffer.h"
#include "lockmere/web/RegisterRequest.h"

class QAction;

namespace web {

class RegistrationHost;

// Everything that brings sites into the store, for the main window: the
// new-site offer on unregistered login pages, the browser's register request,
// the site form (at most one at a time) for new and changed sites, the tray's
// new-site notification switch, and the site tree's modify and protected-login
// commands.
//
//   web::SiteRegistration registration_{browser_, *this};   // *this: RegistrationHost
//   registration_.installTreeHooks();                        // once the site tree exists
//   case 0x7EA: registration_.AddSiteMessage(m.wParam, m.lParam); break;
//   case 0x7FC: registration_.RegisterRequest(); break;
//   AutoLoginHost::offerNewSite:          registration_.OfferNewSite(browser, window, code)
//   AutoLoginHost::registrationFormOpen:  registration_.isFormOpen()
//   tray entry "새 사이트 알림 메세지 표시": registration_.TrayMenu_AlarmNewSiteClick(action)
//   logout:                               registration_.closeForm()
class SiteRegistration : public QObject, private SiteFormWindow {
  Q_OBJECT

 public:
  SiteRegistration(cdp::Browser& browser, RegistrationHost& host, QObject* parent = nullptr);
  ~SiteRegistration() override;

  // For an unregistered page (the automatic login found no site): offers it for
  // registration; code as NewSiteOfferCode.
  void OfferNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code);
  // Message 0x7FC.
  void RegisterRequest();
  // Message 0x7EA: the site form for a new site, from the detected record
  // siteId (-1: empty) captured on browserWindow (0: none). Only when logged in.
  void AddSiteMessage(std::int64_t siteId, std::int64_t browserWindow);
  // The site tree's modify command on a site.
  void ModifySite(int siteId);
  // Hands the site tree its modify command (this form) and its protected login.
  void installTreeHooks();
  // The tray entry: toggles its tick mark, the setting AlarmNewSite and the
  // user's registry value. False when the value could not be written.
  bool TrayMenu_AlarmNewSiteClick(QAction* entry);

  bool isFormOpen() const override { return !form_.isNull(); }
  TAddSiteForm* siteForm() const { return form_; }
  void raiseForm() override;
  void closeForm() override;

 private:
  void openForm(int siteId, bool addMode, platform::WindowHandle browserWindow);

  RegistrationHost& host_;
  NewSiteOffer offer_;
  web::RegisterRequest request_;
  QPointer<TAddSiteForm> form_;
};

}  // namespace web
