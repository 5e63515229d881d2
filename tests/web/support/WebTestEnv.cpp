#include "tests/web/support/WebTestEnv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <stdexcept>

#include "lockmere/web/cdp/CallArgs.h"

namespace webtest {
namespace {

std::unique_ptr<TestHttpServer> g_server;
std::unique_ptr<cdp::Browser> g_browser;
std::shared_ptr<cdp::PageTarget> g_page;

}  // namespace

TestHttpServer& server() {
  if (!g_server) g_server = std::make_unique<TestHttpServer>(std::string(LOCKMERE_SOURCE_DIR) + "/tests/web");
  return *g_server;
}

cdp::Browser& browser() {
  if (!g_browser) g_browser = std::make_unique<cdp::Browser>();
  return *g_browser;
}

void shutdown() {
  g_page.reset();
  g_browser.reset();
  g_server.reset();
}

bool waitForLoad(const cdp::PageTarget& page, int loadsBefore, std::chrono::milliseconds timeout) {
  return browser().waitUntil([&] { return page.isClosed() || page.loadCount() > loadsBefore; }, timeout) &&
         !page.isClosed();
}

std::shared_ptr<cdp::PageTarget> loadInto(const std::shared_ptr<cdp::PageTarget>& page, const std::string& url) {
  const int before = page->loadCount();
  page->navigate(url);
  if (!waitForLoad(*page, before)) throw std::runtime_error("the page did not load: " + url);
  return page;
}

std::shared_ptr<cdp::PageTarget> load(const std::string& url) {
  if (!g_page || g_page->isClosed()) {
    g_page = browser().openWindow(url);
    if (!waitForLoad(*g_page, 0)) throw std::runtime_error("the page did not load: " + url);
    return g_page;
  }
  return loadInto(g_page, url);
}

bool processEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

std::string eval(const cdp::Frame& frame, const std::string& expression) {
  const QJsonValue v = frame.call("function(e) { const v = (0, eval)(e); return v === undefined ? 'undefined' : v; }",
                                  cdp::CallArgs().add(expression).take(), cdp::World::Page);
  if (v.isString()) return v.toString().toStdString();
  if (v.isBool()) return v.toBool() ? "true" : "false";
  if (v.isDouble()) return QString::number(v.toDouble()).toStdString();
  return QJsonDocument::fromVariant(v.toVariant()).toJson(QJsonDocument::Compact).toStdString();
}

std::string eval(const std::shared_ptr<cdp::PageTarget>& page, const std::string& expression) {
  return eval(page->mainFrame(), expression);
}

}  // namespace webtest
