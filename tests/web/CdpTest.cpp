#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/CallArgs.h"
#include "platform/Paths.h"
#include "platform/bus/MessageBus.h"
#include "tests/support/TestEnv.h"
#include "tests/web/support/WebTestEnv.h"

using namespace std::chrono_literals;
using webtest::browser;
using webtest::server;

namespace {

std::string commandLine(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (char& c : all)
    if (c == '\0') c = ' ';
  return all;
}

template <typename F>
std::chrono::milliseconds timeOf(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

}  // namespace

TEST(BrowserStart, OwnProfileDrivenOnlyOverThePipeWithoutPasswordManager) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  ASSERT_TRUE(browser().isRunning());
  const std::string profile = platform::paths::dataDir() + "/browser";
  EXPECT_EQ(browser().options().profileDir, profile);

  const std::string args = commandLine(browser().processId());
  EXPECT_NE(args.find("--remote-debugging-pipe"), std::string::npos) << args;
  EXPECT_EQ(args.find("--remote-debugging-port"), std::string::npos) << args;
  EXPECT_NE(args.find("--user-data-dir=" + profile), std::string::npos) << args;

  QFile prefs(QString::fromStdString(profile + "/Default/Preferences"));
  ASSERT_TRUE(prefs.open(QIODevice::ReadOnly));
  const QJsonObject p = QJsonDocument::fromJson(prefs.readAll()).object();
  EXPECT_EQ(p.value("credentials_enable_service"), QJsonValue(false));
  EXPECT_EQ(p.value("profile").toObject().value("password_manager_enabled"), QJsonValue(false));
}

TEST(BrowserStart, PreferencesKeepWhatTheBrowserWroteAndAreNotRewrittenNeedlessly) {
  const std::string dir = testenv::makeTempDir("profile");
  cdp::BrowserProcess::prepareProfile(dir);
  {
    std::ofstream out(dir + "/Default/Preferences");
    out << R"({"browser":{"window_placement":{"left":5}},"profile":{"name":"x","password_manager_enabled":true}})";
  }
  cdp::BrowserProcess::prepareProfile(dir);
  QFile f(QString::fromStdString(dir + "/Default/Preferences"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QJsonObject p = QJsonDocument::fromJson(f.readAll()).object();
  EXPECT_EQ(p.value("browser").toObject().value("window_placement").toObject().value("left").toInt(), 5);
  EXPECT_EQ(p.value("profile").toObject().value("name").toString(), "x");
  EXPECT_EQ(p.value("profile").toObject().value("password_manager_enabled"), QJsonValue(false));
  EXPECT_EQ(p.value("credentials_enable_service"), QJsonValue(false));
  EXPECT_EQ(p.value("profile").toObject().value("exit_type").toString(), "Normal");
}

TEST(BrowserWindows, EachWindowHasAMessageBusHandleUntilItCloses) {
  auto a = browser().openWindow(server().url("/pages/blank.html"));
  auto b = browser().openWindow(server().url("/pages/login.html"));
  ASSERT_TRUE(webtest::waitForLoad(*a, 0));
  ASSERT_TRUE(webtest::waitForLoad(*b, 0));
  EXPECT_NE(a->handle(), 0u);
  EXPECT_NE(a->handle(), b->handle());
  EXPECT_TRUE(platform::MessageBus::isWindow(a->handle()));
  EXPECT_EQ(browser().window(b->handle()), b);
  b->bringToFront();
  EXPECT_EQ(browser().topWindow(), b);
  a->bringToFront();
  EXPECT_EQ(browser().topWindow(), a);

  std::vector<quint32> closed;
  QObject guard;
  QObject::connect(&browser(), &cdp::Browser::windowClosed, &guard, [&](quint32 h) { closed.push_back(h); });
  const platform::WindowHandle handleA = a->handle();
  a->close();
  ASSERT_TRUE(webtest::processEventsUntil([&] { return !closed.empty(); }, 5s));
  EXPECT_EQ(closed.front(), handleA);
  EXPECT_TRUE(a->isClosed());
  EXPECT_FALSE(platform::MessageBus::isWindow(handleA));
  EXPECT_EQ(browser().window(handleA), nullptr);
  EXPECT_THROW(a->mainFrame().call("function() { return 1; }"), cdp::AutomationError);
  b->close();
}

TEST(BrowserWindows, AWindowKeepsItsHandleWhenItGoesToAnotherSite) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const platform::WindowHandle handle = page->handle();
  webtest::load(server().crossUrl("/pages/login.html"));
  EXPECT_FALSE(page->isClosed());
  EXPECT_EQ(page->handle(), handle);
  EXPECT_EQ(page->url(), server().crossUrl("/pages/login.html"));
  EXPECT_EQ(webtest::eval(page, "location.host"), "localhost:" + std::to_string(server().crossPort()));
  webtest::load(server().url("/pages/blank.html"));
  EXPECT_EQ(webtest::eval(page, "document.title"), "Blank");
}

TEST(BrowserWindows, LoadEventsArriveThroughTheEventLoopWithoutAnyCall) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  QCoreApplication::processEvents();  // what was reported before
  std::vector<QString> loaded;
  QObject guard;
  QObject::connect(&browser(), &cdp::Browser::pageLoaded, &guard, [&](quint32 h, const QString& url) {
    if (h == page->handle()) loaded.push_back(url);
  });
  // The page navigates by itself; only the socket notifier reads the events.
  page->mainFrame().call("function(u) { setTimeout(() => { location.href = u; }, 50); }",
                         cdp::CallArgs().add(server().url("/pages/login.html")).take());
  EXPECT_TRUE(webtest::processEventsUntil([&] { return !loaded.empty(); }, 5s));
  ASSERT_FALSE(loaded.empty());
  EXPECT_EQ(loaded.front().toStdString(), server().url("/pages/login.html"));
}

TEST(BrowserWindows, APostNavigationSendsTheBodyAsAFormWould) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const std::size_t seen = server().submissions().size();
  const std::string body = "id=%EC%95%84%EC%9D%B4%EB%94%94&pw=a%26b%3Dc+d";
  const int before = page->loadCount();
  page->navigatePost(server().url("/action/post?from=tree"), body);
  auto sent = server().waitForSubmission(seen, 5s);
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->method, "POST");
  EXPECT_EQ(sent->query, "from=tree");
  EXPECT_EQ(sent->body, body);
  EXPECT_EQ(sent->headers["content-type"], "application/x-www-form-urlencoded");
  EXPECT_EQ(sent->field("pw"), "a&b=c d");
  ASSERT_TRUE(webtest::waitForLoad(*page, before));
  EXPECT_EQ(webtest::eval(page, "document.title"), "Received");
  // Later navigations are plain again.
  webtest::load(server().url("/action/get"));
  auto plain = server().waitForSubmission(seen + 1, 5s);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->method, "GET");
  // A new window opened for the request.
  auto window = browser().openWindow("about:blank");
  window->navigatePost(server().url("/action/new"), "a=1");
  auto fresh = server().waitForSubmission(seen + 2, 5s);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->path, "/action/new");
  EXPECT_EQ(fresh->body, "a=1");
  window->close();
}

TEST(BrowserCalls, FailuresAreAutomationErrors) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  EXPECT_THROW(browser().call("No.suchMethod"), cdp::AutomationError);
  EXPECT_THROW(page->mainFrame().call("function() { throw new Error('broken'); }"), cdp::AutomationError);
  try {
    page->mainFrame().call("function() { null.x = 1; }");
    FAIL();
  } catch (const cdp::AutomationError& e) {
    EXPECT_NE(std::string(e.what()).find("TypeError"), std::string::npos) << e.what();
  }
  EXPECT_THROW(page->navigate("http://127.0.0.1:1/"), cdp::AutomationError);
}

TEST(BrowserCalls, ArgumentsArriveAsDataExactly) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const std::string tricky = "a'b\"c\\d</script>\n\t${x}`\u00e9\uac00";
  const QJsonValue v = page->mainFrame().call("function(s, n, b) { return [s, s.length, n + 1, !b]; }",
                                              cdp::CallArgs().add(tricky).add(41).add(false).take());
  ASSERT_TRUE(v.isArray());
  EXPECT_EQ(v[0].toString().toStdString(), tricky);
  EXPECT_EQ(v[1].toInt(), QString::fromStdString(tricky).size());
  EXPECT_EQ(v[2].toInt(), 42);
  EXPECT_EQ(v[3].toBool(), true);
}

TEST(BrowserCalls, OurWorldIsHiddenFromThePageAndSeesNativeFunctions) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const cdp::Frame top = page->mainFrame();
  top.call("function() { window.mine = 1; }");
  EXPECT_EQ(webtest::eval(page, "typeof window.mine"), "undefined");
  EXPECT_EQ(webtest::eval(page, "typeof lockmereFront"), "undefined");
  webtest::eval(page, "document.getElementsByName = () => { throw new Error('replaced'); }; 1");
  EXPECT_EQ(top.call("function() { return document.getElementsByName('x').length; }").toInt(), 0);
}

TEST(BrowserFrames, SameSiteAndCrossSiteFramesInDocumentOrder) {
  auto page = webtest::load(server().url("/pages/frames.html"));
  const cdp::Frame top = page->mainFrame();
  EXPECT_TRUE(top.isTop());
  std::vector<cdp::Frame> frames;
  // The nested cross-site frame may still be loading.
  browser().waitUntil([&] { return webtest::eval(page, "frames[2].frames.length") == "1"; }, 5s);
  frames = top.childFrames();
  ASSERT_EQ(frames.size(), 3u);
  const char* where = "function() { return window.name + ' ' + location.href; }";
  EXPECT_EQ(frames[0].call(where).toString().toStdString(), "first " + server().url("/pages/blank.html"));
  EXPECT_EQ(frames[1].call(where).toString().toStdString(), "second " + server().crossUrl("/pages/login.html"));
  EXPECT_NE(frames[1].sessionId(), page->sessionId());  // a target of its own
  EXPECT_EQ(frames[0].sessionId(), page->sessionId());
  const auto inner = frames[2].childFrames();
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].call(where).toString().toStdString(), "inner " + server().crossUrl("/pages/blank.html"));
  EXPECT_TRUE(frames[1].childFrames().empty());
}

TEST(BrowserKeys, KeysGoToTheirOwnPageEvenWhenAnotherIsInFront) {
  auto page = webtest::load(server().url("/pages/login.html"));
  auto other = browser().openWindow(server().url("/pages/blank.html"));
  other->bringToFront();
  const auto seen = server().submissions().size();
  page->mainFrame().call(
      "function() { document.getElementsByName('userid')[0].value = 'kim'; "
      "document.getElementsByName('passwd')[0].focus(); }");
  page->pressKey(cdp::Key::End);
  page->pressKey(cdp::Key::Enter);
  auto submitted = server().waitForSubmission(seen, 5s);
  ASSERT_TRUE(submitted);
  EXPECT_EQ(submitted->field("userid"), "kim");
  other->close();
}

TEST(BrowserFailures, ADialogMakesCallsOnItsPageFailAtOnce) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  page->mainFrame().call("function() { setTimeout(() => alert('stop'), 0); }");
  ASSERT_TRUE(browser().waitUntil([&] { return page->dialogOpen(); }, 5s));
  const auto took =
      timeOf([&] { EXPECT_THROW(page->mainFrame().call("function() { return 1; }"), cdp::AutomationError); });
  EXPECT_LT(took, 1000ms);
  EXPECT_EQ(page->dialogMessage(), "stop");
  page->answerDialog(true);
  EXPECT_EQ(page->mainFrame().call("function() { return 1; }").toInt(), 1);
}

TEST(BrowserFailures, ABusyPageMeetsTheDeadline) {
  auto page = browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*page, 0));
  browser().post("Runtime.evaluate", QJsonObject{{"expression", "for (;;) {}"}}, page->sessionId());
  const auto took = timeOf([&] {
    EXPECT_THROW(browser().call("Runtime.evaluate", QJsonObject{{"expression", "1"}}, page->sessionId(), 1000ms),
                 cdp::AutomationError);
  });
  EXPECT_GE(took, 900ms);
  EXPECT_LT(took, 3000ms);
  page->close();
}

TEST(BrowserFailures, APageClosingDuringACallEndsTheCall) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const std::size_t before = browser().windows().size();
  browser().call("Runtime.evaluate",
                 QJsonObject{{"expression", "window.open('/pages/blank.html', 'popup'); 1"}, {"userGesture", true}},
                 page->sessionId());
  ASSERT_TRUE(browser().waitUntil([&] { return browser().windows().size() > before; }, 5s));
  auto popup = browser().windows().back();
  ASSERT_TRUE(webtest::waitForLoad(*popup, 0));
  const auto took = timeOf([&] {
    EXPECT_THROW(
        browser().call("Runtime.evaluate",
                       QJsonObject{{"expression", "setTimeout(() => window.close(), 100); new Promise(() => {})"},
                                   {"awaitPromise", true}},
                       popup->sessionId(), 10000ms),
        cdp::AutomationError);
  });
  EXPECT_LT(took, 3000ms);
  EXPECT_TRUE(popup->isClosed());
}

TEST(BrowserFailures, TheBrowserKilledDuringACallIsAnErrorAndTheNextNeedStartsItAgain) {
  auto page = webtest::load(server().url("/pages/blank.html"));
  const pid_t pid = browser().processId();
  ASSERT_GT(pid, 0);
  bool exited = false;
  QObject guard;
  QObject::connect(&browser(), &cdp::Browser::exited, &guard, [&] { exited = true; });
  std::thread killer([pid] {
    std::this_thread::sleep_for(300ms);
    ::kill(pid, SIGKILL);
  });
  const auto took = timeOf([&] {
    EXPECT_THROW(
        browser().call("Runtime.evaluate", QJsonObject{{"expression", "new Promise(() => {})"}, {"awaitPromise", true}},
                       page->sessionId(), 20000ms),
        cdp::AutomationError);
  });
  killer.join();
  EXPECT_LT(took, 5000ms);
  EXPECT_FALSE(browser().isRunning());
  EXPECT_TRUE(page->isClosed());
  EXPECT_TRUE(browser().windows().empty());
  EXPECT_EQ(browser().topWindow(), nullptr);
  EXPECT_THROW(page->mainFrame().call("function() { return 1; }"), cdp::AutomationError);
  EXPECT_TRUE(webtest::processEventsUntil([&] { return exited; }, 2s));

  auto again = webtest::load(server().url("/pages/login.html"));
  EXPECT_TRUE(browser().isRunning());
  EXPECT_NE(browser().processId(), pid);
  EXPECT_EQ(webtest::eval(again, "document.title"), "Members login");
}
