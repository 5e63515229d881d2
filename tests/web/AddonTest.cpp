#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <vector>

#include "lockmere/tools/addon/BrowserAddon.h"
#include "lockmere/web/cdp/CallArgs.h"
#include "platform/Registry.h"
#include "platform/StatusBlock.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/web/support/WebTestEnv.h"

using namespace std::chrono_literals;
using webtest::browser;
using webtest::eval;
using webtest::server;

namespace {

// Lockmere's main window as the add-on sees it: a window on the bus named in the
// status block.
class AddonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    name_ = "/lockmere-addon-test-" + std::to_string(::getpid());
    // Before the browser starts: the add-on loads its extension into it.
    addon_ =
        new addon::BrowserAddon(browser(), std::string(LOCKMERE_SOURCE_DIR) + "/lockmere/tools/addon/extension", name_);
  }
  static void TearDownTestSuite() {
    delete addon_;
    addon_ = nullptr;
  }
  void SetUp() override {
    receiver_ = std::make_unique<platform::MessageReceiver>([this](const platform::Message& m) {
      messages_.push_back(m);
      return 0;
    });
    block_ = std::make_unique<platform::StatusBlock>(name_);
    ASSERT_TRUE(block_->create(receiver_->handle())) << block_->errorString();
  }
  void TearDown() override {
    block_.reset();
    receiver_.reset();
  }

  std::vector<platform::Message> received(std::uint32_t message, std::int64_t wParam) {
    std::vector<platform::Message> out;
    for (const auto& m : messages_)
      if (m.message == message && m.wParam == wParam) out.push_back(m);
    return out;
  }
  bool waitFor(std::uint32_t message, std::int64_t wParam, std::chrono::milliseconds timeout = 5s) {
    return webtest::processEventsUntil([&] { return !received(message, wParam).empty(); }, timeout);
  }
  void settle() {
    webtest::processEventsUntil([] { return false; }, 300ms);
  }

  // What the extension's toolbar button and menu entries do when clicked.
  void click(const std::string& kind, const std::string& url) {
    std::string session;
    const QJsonObject workers{{"filter", QJsonArray{QJsonObject{{"type", "service_worker"}}}}};
    for (const auto& t : browser().call("Target.getTargets", workers).value("targetInfos").toArray()) {
      const QJsonObject info = t.toObject();
      if (info.value("type").toString() != "service_worker" ||
          !info.value("url").toString().startsWith("chrome-extension://"))
        continue;
      session = browser()
                    .call("Target.attachToTarget", QJsonObject{{"targetId", info.value("targetId")}, {"flatten", true}})
                    .value("sessionId")
                    .toString()
                    .toStdString();
    }
    ASSERT_FALSE(session.empty()) << "the extension's worker does not run";
    browser().call("Runtime.evaluate",
                   QJsonObject{{"expression", QString::fromStdString("send('" + kind + "', '" + url + "'); 1")}},
                   session);
    browser().call("Target.detachFromTarget", QJsonObject{{"sessionId", QString::fromStdString(session)}});
  }

  static inline std::string name_;
  static inline addon::BrowserAddon* addon_ = nullptr;
  std::unique_ptr<platform::MessageReceiver> receiver_;
  std::unique_ptr<platform::StatusBlock> block_;
  std::vector<platform::Message> messages_;
};

}  // namespace

TEST_F(AddonTest, LoadedPagesAreReportedOnlyWhileLoggedInWithAddressDetection) {
  block_->setLoggedIn(true);
  block_->setAutoGetUrl(true);
  auto page = webtest::load(server().url("/pages/login.html"));
  EXPECT_TRUE(waitFor(platform::msg::kLoginOnBrowser, page->handle()));

  messages_.clear();
  block_->setAutoGetUrl(false);
  webtest::load(server().url("/pages/blank.html"));
  settle();
  EXPECT_TRUE(received(platform::msg::kLoginOnBrowser, page->handle()).empty());
  EXPECT_FALSE(received(platform::msg::kBrowserGone, page->handle()).empty());  // it navigated away

  messages_.clear();
  block_->setLoggedIn(false);
  webtest::load(server().url("/pages/login.html"));
  settle();
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AddonTest, ClosedWindowsAreReported) {
  block_->setLoggedIn(true);
  auto page = browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*page, 0));
  const auto handle = page->handle();
  page->close();
  EXPECT_TRUE(waitFor(platform::msg::kBrowserGone, handle));
}

TEST_F(AddonTest, TheUsersRequestsFromTheBrowserReachTheMainWindow) {
  auto page = webtest::load(server().url("/pages/login.html"));
  auto other = browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*other, 0));
  other->bringToFront();
  const std::string url = server().url("/pages/login.html");
  click("login", url);
  ASSERT_TRUE(waitFor(platform::msg::kLoginRequest, 0));
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.openKey("\\Software\\Veradynics\\Lockmere");
  ASSERT_TRUE(key);
  EXPECT_EQ(key.value().readString("LastAddSiteURL").value(), url);
  EXPECT_EQ(browser().topWindow(), page);  // the window the request came from
  other->close();

  messages_.clear();
  click("register", url);
  ASSERT_TRUE(waitFor(platform::msg::kRegisterRequest, 0));
  EXPECT_EQ(received(platform::msg::kRegisterRequest, 0).size(), 1u);
  EXPECT_TRUE(received(platform::msg::kLoginRequest, 0).empty());

  // Without Lockmere there is nobody to ask.
  messages_.clear();
  block_.reset();
  click("login", url);
  settle();
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AddonTest, APageIsReportedAgainWhenLoginFieldsAppearAtMostOnceASecond) {
  block_->setLoggedIn(true);
  block_->setAutoGetUrl(true);
  server().setPage("/addon/late.html", R"(<html><body><div id="app"></div><script>
    const add = (html) => document.getElementById('app').insertAdjacentHTML('beforeend', html);
    window.addEventListener('load', () => {
      setTimeout(() => add('<p>news</p><input name="q">'), 200);      // no login field
      setTimeout(() => add('<input type="password" name="pw">'), 600);
      // Then a burst: a field every 100 ms for two seconds.
      setTimeout(() => { let n = 0; const t = setInterval(() => {
        add('<input type="password" name="p' + n + '">'); if (++n == 20) clearInterval(t); }, 100); }, 1200);
    });</script></body></html>)");
  QElapsedTimer clock;
  clock.start();
  std::vector<qint64> at;
  platform::WindowHandle window = 0;
  receiver_->setHandler([&](const platform::Message& m) {
    if (m.message == platform::msg::kLoginOnBrowser && m.wParam == window) at.push_back(clock.elapsed());
    return 0;
  });
  window = webtest::load(server().url("/pages/blank.html"))->handle();
  webtest::processEventsUntil([] { return false; }, 300ms);  // its report
  at.clear();
  auto page = webtest::load(server().url("/addon/late.html"));
  ASSERT_TRUE(webtest::processEventsUntil([&] { return at.size() >= 2; }, 5s));  // the load, then the field
  EXPECT_GT(at[1] - at[0], 400);
  webtest::processEventsUntil([] { return false; }, 3500ms);  // the burst and a second after it
  ASSERT_GE(at.size(), 4u);
  EXPECT_LE(at.size(), 6u);
  for (std::size_t i = 2; i < at.size(); ++i) EXPECT_GE(at[i] - at[i - 1], 950) << "report " << i;
  const std::size_t reports = at.size();

  // Fields added while Lockmere is not logged in are not reported.
  block_->setLoggedIn(false);
  eval(page, "add('<input type=\"password\" name=\"later\">'); 1");
  webtest::processEventsUntil([] { return false; }, 1500ms);
  EXPECT_EQ(at.size(), reports);
}

TEST_F(AddonTest, LoginFieldsInAFrameOrAShadowRootAddedLaterAreReportedForTheirWindow) {
  block_->setLoggedIn(true);
  block_->setAutoGetUrl(true);
  server().setPage("/addon/frame-login.html",
                   "<html><body><form><input autocomplete=username name=u><button>Next</button></form></body></html>");
  server().setPage("/addon/host.html", R"(<html><body><div id="h"></div><script>
    window.addEventListener('load', () => setTimeout(() => {
      const f = document.createElement('iframe');
      f.src = '{{CROSS}}/addon/frame-login.html';
      document.body.appendChild(f);
    }, 200));
    </script></body></html>)");
  auto page = webtest::load(server().url("/addon/host.html"));
  ASSERT_TRUE(waitFor(platform::msg::kLoginOnBrowser, page->handle()));
  ASSERT_TRUE(webtest::processEventsUntil(
      [&] { return received(platform::msg::kLoginOnBrowser, page->handle()).size() >= 2; }, 5s));

  auto other = browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*other, 0));
  ASSERT_TRUE(waitFor(platform::msg::kLoginOnBrowser, other->handle()));

  eval(other, R"(document.body.appendChild(document.createElement('div')).attachShadow({ mode: 'open' })
    .innerHTML = '<form><input type="password" name="pw"></form>'; 1)");
  ASSERT_TRUE(webtest::processEventsUntil(
      [&] { return received(platform::msg::kLoginOnBrowser, other->handle()).size() >= 2; }, 5s));
  EXPECT_EQ(received(platform::msg::kLoginOnBrowser, page->handle()).size(), 2u);  // only the window with new fields
  other->close();
}
