#pragma once

#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lockmere/store/RegistryLayout.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/web/BrowserSide.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/PopupScreen.h"
#include "lockmere/widgets/Timers.h"
#include "platform/Registry.h"
#include "platform/StatusBlock.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/web_tree/TreeFixture.h"

// The main window as the browser side sees it: a plain implementation of
// BrowserSideHost and SessionHost over a real user's store and site tree, a
// popup on a fixed screen with time stepped by hand, the status block the
// add-on reads, and a window on the message bus that hands every message to
// the browser side. Logging in and out is what the main window does around it.
namespace sidetest {

class SideTestHost : public QWidget, public web::BrowserSideHost, public users::SessionHost {
 public:
  explicit SideTestHost(const std::string& statusBlockName) : block(statusBlockName) {
    setObjectName(QStringLiteral("MainForm"));
    popup_.setEnvironment({screen, timers});
    explorer_ = new web::TExplorerFrame(this);
    (new QVBoxLayout(this))->addWidget(explorer_);
    explorer_->setSaveStore([this](const std::vector<store::TreeEntry>& order) { return session->store->save(order); });
    if (!block.create(receiver_.handle())) throw std::runtime_error(block.errorString());
  }
  ~SideTestHost() override {
    if (isLoggedIn) logOut();
    block.remove();
  }

  // The post-login set-up: a fresh user with an empty store, the tree, the
  // status block, then the browser side.
  void logIn() {
    session = std::make_unique<treetest::Session>();
    // The confirmation window checks the password against Key1.
    platform::Registry registry(platform::Registry::CurrentUser);
    auto key = registry.createKey(store::reg::userKeyPath(session->user.id));
    key.value().writeBinary(store::reg::kKey1, session->user.key1.data(), session->user.key1.size());
    dataKey_ = crypto::SecureBytes(session->user.dataKey);
    settingsValues = store::UserSettings{};
    records = store::TemplateRecords();
    explorer_->loadTree(session->store->cates(), session->store->sites());
    isLoggedIn = true;
    block.setLoggedIn(true);
    block.setAutoGetUrl(settingsValues.AutoGetIEURL);
    if (side) side->loggedIn();
  }
  // Logout: the browser side first, then the lists go.
  void logOut() {
    isLoggedIn = false;
    block.setLoggedIn(false);
    block.setAutoGetUrl(false);
    if (side) side->loggedOut();
    explorer_->clearTree();
    session.reset();
  }

  // A registered site, filed in the tree as the site form files one.
  store::TRegSiteCollItem& addSite(const std::string& keyword, int loginType, const std::string& idValue,
                                   const std::string& pwValue) {
    store::TRegSiteCollItem& s =
        session->addSite("site" + std::to_string(session->store->sites().RegSites().count()), -1, loginType);
    s.Keyword = keyword;
    s.ID_Name = "userid";
    s.PW_Name = "passwd";
    s.ID_Value = idValue;
    s.PW_Value = pwValue;
    explorer_->loadTree(session->store->cates(), session->store->sites());
    return s;
  }

  // BrowserSideHost
  bool loggedIn() const override { return isLoggedIn; }
  users::SessionHost& sessionHost() override { return *this; }
  store::UserSettings& settings() override { return settingsValues; }
  store::TRegSiteList& registeredSites() override { return session->store->sites(); }
  store::TRegSiteList& detectedSites() override { return session->store->detectedSites(); }
  web::TExplorerFrame& explorer() override { return *explorer_; }
  bool saveStore() override { return session->store->save(explorer_->treeOrder()); }
  widgets::TMSNPopUp& popup() override {
    if (auto hook = std::exchange(onNextPopupUse, nullptr)) hook();
    return popup_;
  }
  QWidget* mainWindow() override { return this; }
  platform::WindowHandle mainWindowHandle() const override { return receiver_.handle(); }
  void showMessage(const QString& text) override { messages.push_back(text); }
  void setAlarmNewSiteChecked(bool checked) override { alarmTicks.push_back(checked); }

  // SessionHost
  crypto::SecureBytes& dataKey() override { return dataKey_; }
  const crypto::SecureBytes& programKey() const override { return session->user.programKey; }
  std::string currentUserId() const override { return session ? session->user.id : std::string(); }
  void setCurrentUserId(const std::string&) override {}
  store::TemplateRecords& userRecords() override { return records; }
  void startNewUserTool() override {}

  std::size_t count(std::uint32_t message) const {
    std::size_t n = 0;
    for (const auto& m : received) n += m.message == message;
    return n;
  }

  web::BrowserSide* side = nullptr;
  bool isLoggedIn = false;
  store::UserSettings settingsValues;
  std::unique_ptr<treetest::Session> session;
  std::vector<platform::Message> received;
  std::vector<platform::Message> unhandled;
  std::vector<QString> messages;
  std::vector<bool> alarmTicks;
  store::TemplateRecords records;  // none: the windows ask for the password
  // Runs once, the next time the browser side asks for the popup.
  std::function<void()> onNextPopupUse;
  platform::StatusBlock block;
  std::shared_ptr<widgets::FixedScreen> screen =
      std::make_shared<widgets::FixedScreen>(QRect(0, 0, 1024, 700), widgets::TaskbarEdge::Bottom);
  std::shared_ptr<widgets::ManualTimerSource> timers = std::make_shared<widgets::ManualTimerSource>();

 private:
  std::int64_t dispatch(const platform::Message& m) {
    received.push_back(m);
    if (m.message == platform::msg::kIdleLogout) {  // the main window's own: the automatic logout
      if (isLoggedIn) {
        logOut();
        if (side) side->idleLogout();
      }
      return 0;
    }
    if (!side || !side->handleMessage(m)) unhandled.push_back(m);
    return 0;
  }

  crypto::SecureBytes dataKey_;
  widgets::TMSNPopUp popup_{this};
  web::TExplorerFrame* explorer_ = nullptr;
  platform::MessageReceiver receiver_{[this](const platform::Message& m) { return dispatch(m); }};
};

}  // namespace sidetest
