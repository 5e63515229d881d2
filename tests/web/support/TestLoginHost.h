#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "lockmere/web/AutoLoginHost.h"

namespace webtest {

// The main window's side of the automatic login, as the tests need it: the site
// list and settings it holds, and a record of the windows it was asked to open.
class TestLoginHost : public web::AutoLoginHost {
 public:
  bool isLoggedIn = true;
  store::TRegSiteList sites;
  int retryTime = 10;
  std::string lastAddress;
  std::vector<web::PendingLogin> confirmLogins;
  std::vector<web::PendingLogin> fingerprintLogins;
  int confirmFreed = 0;
  int fingerprintFreed = 0;
  bool fingerprintOpen = false;
  bool confirmOpen = false;
  int confirmRaised = 0;
  bool noticePending = false;
  bool registrationOpen = false;
  std::vector<platform::WindowHandle> droppedForms;
  std::vector<platform::WindowHandle> offers;
  int offerResult = 0;
  std::function<void()> duringOffer;
  std::vector<QString> messages;

  // A registered site.
  store::TRegSiteCollItem& addSite(const std::string& keyword, std::uint8_t loginType, const std::string& idName,
                                   const std::string& idValue, const std::string& pwName, const std::string& pwValue) {
    store::TRegSiteCollItem& s = sites.RegSites().add();
    s.Keyword = keyword;
    s.LoginType = loginType;
    s.ID_Name = idName;
    s.ID_Value = idValue;
    s.PW_Name = pwName;
    s.PW_Value = pwValue;
    return s;
  }

  bool loggedIn() const override { return isLoggedIn; }
  store::TRegSiteList& registeredSites() override { return sites; }
  int autoLoginRetryTime() const override { return retryTime; }
  std::string lastLoginAddress() const override { return lastAddress; }
  void setLastLoginAddress(const std::string& address) override { lastAddress = address; }
  void freeConfirmLogin() override {
    ++confirmFreed;
    confirmOpen = false;
  }
  void openConfirmLogin(const web::PendingLogin& login) override {
    confirmLogins.push_back(login);
    confirmOpen = true;
  }
  void freeFingerprintLogin() override {
    ++fingerprintFreed;
    fingerprintOpen = false;
  }
  void openFingerprintLogin(const web::PendingLogin& login) override {
    fingerprintLogins.push_back(login);
    fingerprintOpen = true;
  }
  bool fingerprintLoginOpen() const override { return fingerprintOpen; }
  bool raiseConfirmLogin() override {
    if (confirmOpen) ++confirmRaised;
    return confirmOpen;
  }
  bool newSiteNoticePending() const override { return noticePending; }
  bool registrationFormOpen() const override { return registrationOpen; }
  void dropBrowserForms(platform::WindowHandle window) override { droppedForms.push_back(window); }
  int offerNewSite(const web::BrowserRef&, platform::WindowHandle window) override {
    offers.push_back(window);
    if (duringOffer) duringOffer();
    return offerResult;
  }
  void showMessage(const QString& text) override { messages.push_back(text); }
};

}  // namespace webtest
