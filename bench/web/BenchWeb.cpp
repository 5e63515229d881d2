// The browser side's speed against a real headless Chromium and a page served on
// 127.0.0.1: from a page's load event to its fields filled and Enter dispatched
// (an automatic login), and the capture of its login form. One repetition is one
// load of the page; the medians over 50 repetitions are the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <memory>

#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/FormCapture.h"
#include "lockmere/web/cdp/Browser.h"
#include "tests/web/support/TestHttpServer.h"
#include "tests/web/support/TestLoginHost.h"

namespace {

using Clock = std::chrono::steady_clock;

webtest::TestHttpServer* g_server = nullptr;
cdp::Browser* g_browser = nullptr;
std::shared_ptr<cdp::PageTarget> g_page;

// Loads the benchmark page and returns when our side has seen its load event.
Clock::time_point loadPage() {
  const int before = g_page->loadCount();
  g_page->navigate(g_server->url("/login.html"));
  if (!g_browser->waitUntil([&] { return g_page->loadCount() > before; }, std::chrono::seconds(10)))
    throw std::runtime_error("the page did not load");
  return Clock::now();
}

// The same login on a page that has settled for 100 ms after its load event: the
// engine's own share of the figure above.
void loginRun(benchmark::State& state, std::chrono::milliseconds settle) {
  webtest::TestLoginHost host;
  auto& site = host.addSite("/LOGIN.HTML", store::kLoginAutomatic, "custId", "kim0123", "custPw", "Pa$$w0rd!");
  auto& branch = site.ExtraItems.add();
  branch.Name = "branch";
  branch.Type_ = "SELECT-ONE";
  branch.Value = "Busan";
  web::AutoLogin engine(*g_browser, host);
  for (auto _ : state) {
    site.LastAutoLogin = 0;  // so that Enter is pressed every time
    auto loaded = loadPage();
    if (settle.count()) {
      g_browser->waitUntil([] { return false; }, settle);
      loaded = Clock::now();
    }
    int code = 99;
    engine.AutoLoginOnPage(g_page, g_page->handle(), code);
    const auto done = Clock::now();
    if (code != web::kSiteHandled) state.SkipWithError("the login did not run");
    state.SetIterationTime(std::chrono::duration<double>(done - loaded).count());
  }
}

void BM_LoadEventToLoginSubmitted(benchmark::State& state) { loginRun(state, std::chrono::milliseconds(0)); }
void BM_LoginOnASettledPage(benchmark::State& state) { loginRun(state, std::chrono::milliseconds(100)); }

void BM_CaptureLoginForm(benchmark::State& state) {
  for (auto _ : state) {
    loadPage();
    const auto start = Clock::now();
    std::optional<web::LoginForm> form;
    std::string frameName;
    store::TRegSiteList detected;
    const bool found = web::FindPasswordForm(g_page->mainFrame(), form, frameName);
    const int id = found ? web::CaptureLoginForm(g_page, *form, frameName, detected) : -1;
    const auto done = Clock::now();
    if (id < 0 || detected.RegSites().at(0).PW_Name != "custPw") state.SkipWithError("the capture failed");
    state.SetIterationTime(std::chrono::duration<double>(done - start).count());
  }
}

BENCHMARK(BM_LoadEventToLoginSubmitted)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoginOnASettledPage)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureLoginForm)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char home[] = "/tmp/lockmere-bench-XXXXXX";
  if (!::mkdtemp(home)) return 1;
  ::setenv("LOCKMERE_HOME", home, 1);
  ::setenv("LOCKMERE_BROWSER_HEADLESS", "1", 0);
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  int rc = 0;
  {
    webtest::TestHttpServer server(LOCKMERE_BENCH_WEB_DIR);
    cdp::Browser browser;
    g_server = &server;
    g_browser = &browser;
    g_page = browser.openWindow(server.url("/login.html"));
    browser.waitUntil([] { return g_page->loadCount() > 0; }, std::chrono::seconds(10));
    benchmark::RunSpecifiedBenchmarks();
    g_page.reset();
    browser.shutdown();
  }
  benchmark::Shutdown();
  std::filesystem::remove_all(home);
  return rc;
}
