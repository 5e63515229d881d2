#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "lockmere/web/cdp/Browser.h"
#include "tests/web/support/TestHttpServer.h"

// What every browser test program shares: one headless browser (started on the
// first need and kept for the whole program) and one test server that serves
// tests/web and records the forms it receives.
namespace webtest {

cdp::Browser& browser();
TestHttpServer& server();

// The test window (opened once), showing the address after its load event.
std::shared_ptr<cdp::PageTarget> load(const std::string& url);
// The given window, showing the address after its load event.
std::shared_ptr<cdp::PageTarget> loadInto(const std::shared_ptr<cdp::PageTarget>& page, const std::string& url);
// Waits for the next load event of the window after `loadsBefore` of them.
// Generous: a sanitized test build beside other tests on two cores can keep a
// new window from loading for several seconds.
bool waitForLoad(const cdp::PageTarget& page, int loadsBefore,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Runs the event loop (timers, socket notifiers, queued signals) until the
// condition holds or the timeout passes.
bool processEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A value read from the page: the JavaScript expression's result as text.
std::string eval(const cdp::Frame& frame, const std::string& expression);
std::string eval(const std::shared_ptr<cdp::PageTarget>& page, const std::string& expression);

}  // namespace webtest
