#include "lockmere/web/cdp/Browser.h"

#include <QJsonArray>
#include <QMetaObject>

#include "lockmere/web/cdp/AutomationError.h"
#include "platform/bus/MessageBus.h"

namespace cdp {
namespace {

// Our world in every document: the page's scripts cannot see it.
constexpr const char* kWorldName = "lockmere";
constexpr const char* kFrontBinding = "lockmereFront";

// Tells us when the user brings a page to the front: its window gains the focus,
// its tab becomes visible, or it loads while it has the focus.
constexpr const char* kFrontScript = R"JS((() => {
  if (window !== window.top) return;
  const front = () => { try { if (typeof lockmereFront === 'function') lockmereFront(''); } catch (e) {} };
  window.addEventListener('focus', (e) => { if (e.target === window) front(); });
  document.addEventListener('visibilitychange', () => { if (document.visibilityState === 'visible') front(); });
  const atStart = () => { if (document.visibilityState === 'visible' && document.hasFocus()) front(); };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', atStart); else atStart();
})();)JS";

bool startsWith(const std::string& s, std::string_view prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Pages of the browser itself and of extensions are not browser windows of ours.
bool isWindowUrl(const std::string& url) {
  return !startsWith(url, "chrome-extension://") && !startsWith(url, "devtools://") &&
         !startsWith(url, "chrome-untrusted://");
}

QJsonObject autoAttach(const QJsonArray& types) {
  QJsonArray filter;
  for (const auto& t : types) filter.append(QJsonObject{{"type", t}});
  return {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}, {"filter", filter}};
}

}  // namespace

Browser::Browser(LaunchOptions options, QObject* parent) : QObject(parent), options_(std::move(options)) {}

Browser::~Browser() { shutdown(); }

bool Browser::isRunning() const { return connection_ && connection_->isOpen(); }

void Browser::ensureRunning() {
  if (isRunning()) return;
  if (connection_) {
    // What is left of a browser that went away.
    connection_.reset();
    process_.stop(std::chrono::milliseconds(2000));
  }
  start();
}

void Browser::start() {
  LaunchOptions o = options_;
  if (!extensionDir_.empty()) {
    o.extraArgs.push_back("--load-extension=" + extensionDir_);
    o.extraArgs.push_back("--disable-extensions-except=" + extensionDir_);
  }
  const int fd = process_.start(o);
  connection_ = std::make_unique<Connection>(fd, static_cast<ConnectionListener*>(this));
  try {
    call("Target.setDiscoverTargets",
         QJsonObject{{"discover", true}, {"filter", QJsonArray{QJsonObject{{"type", "page"}}}}}, {}, kStartTimeout);
    QJsonArray types{"page"};
    if (!workerBinding_.empty()) types.append("service_worker");
    call("Target.setAutoAttach", autoAttach(types), {});
  } catch (const AutomationError& e) {
    connection_.reset();
    process_.stop(std::chrono::milliseconds(0));
    throw AutomationError(std::string("the browser did not start: ") + e.what() + " (see " + o.profileDir +
                          "/browser.log)");
  }
}

void Browser::shutdown() {
  if (!connection_) return;
  if (connection_->isOpen()) {
    try {
      // Lets the browser save its profile and end by itself; what it still
      // writes is read until it closes the pipe.
      connection_->call("Browser.close", QJsonObject{}, {}, std::chrono::milliseconds(3000));
      waitUntil([this] { return !isRunning(); }, std::chrono::milliseconds(5000));
    } catch (const AutomationError&) {
    }
  }
  connection_->close();
  process_.stop(std::chrono::milliseconds(2000));
  const auto pages = windows_;
  for (const auto& p : pages) pageGone(p);
  sessions_.clear();
  frameSessions_.clear();
  connection_.reset();
}

std::shared_ptr<PageTarget> Browser::openWindow(const std::string& url) {
  ensureRunning();
  const QJsonObject r =
      call("Target.createTarget", QJsonObject{{"url", QString::fromStdString(url)}, {"newWindow", true}});
  const std::string targetId = r.value("targetId").toString().toStdString();
  std::shared_ptr<PageTarget> page;
  const bool appeared = waitUntil(
      [&] {
        for (const auto& w : windows_)
          if (w->targetId_ == targetId) page = w;
        return page != nullptr;
      },
      std::chrono::milliseconds(10000));
  if (!appeared) throw AutomationError("the new browser window did not appear");
  markFront(*page);
  return page;
}

std::vector<std::shared_ptr<PageTarget>> Browser::windows() const { return windows_; }

std::shared_ptr<PageTarget> Browser::window(platform::WindowHandle handle) const {
  for (const auto& w : windows_)
    if (w->handle_ == handle) return w;
  return nullptr;
}

std::shared_ptr<PageTarget> Browser::topWindow() const {
  std::shared_ptr<PageTarget> top;
  for (const auto& w : windows_)
    if (!top || w->frontSerial_ > top->frontSerial_) top = w;
  return top;
}

void Browser::closeAllWindows() {
  if (!isRunning()) return;
  const auto pages = windows_;
  for (const auto& p : pages) {
    try {
      call("Target.closeTarget", QJsonObject{{"targetId", QString::fromStdString(p->targetId_)}});
    } catch (const AutomationError&) {
    }
  }
}

QJsonObject Browser::call(std::string_view method, const QJsonObject& params, const std::string& sessionId,
                          std::chrono::milliseconds timeout) {
  if (!isRunning()) throw AutomationError(std::string(method) + ": the browser is not running");
  return connection_->call(method, params, sessionId, timeout);
}

QJsonObject Browser::call(std::string_view method, SecretText paramsJson, const std::string& sessionId,
                          std::chrono::milliseconds timeout) {
  if (!isRunning()) throw AutomationError(std::string(method) + ": the browser is not running");
  return connection_->call(method, std::move(paramsJson), sessionId, timeout);
}

void Browser::post(std::string_view method, const QJsonObject& params, const std::string& sessionId) {
  if (!isRunning()) throw AutomationError(std::string(method) + ": the browser is not running");
  connection_->post(method, params, sessionId);
}

void Browser::tryPost(std::string_view method, const QJsonObject& params, const std::string& sessionId) {
  try {
    post(method, params, sessionId);
  } catch (const AutomationError&) {
    // The browser went away; its end is handled by onClosed().
  }
}

void Browser::pump(std::chrono::milliseconds wait) {
  if (isRunning()) connection_->pump(wait);
}

bool Browser::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !isRunning()) return condition();
    connection_->pump(std::min(left, std::chrono::milliseconds(50)));
  }
}

std::optional<QJsonObject> Browser::waitForEvent(const std::string& sessionId, std::string_view method,
                                                 std::chrono::milliseconds timeout) {
  EventWatch watch{sessionId, QString::fromUtf8(method.data(), static_cast<qsizetype>(method.size())), {}};
  watches_.push_back(&watch);
  waitUntil([&] { return watch.params.has_value(); }, timeout);
  std::erase(watches_, &watch);
  return watch.params;
}

int Browser::contextId(const std::string& sessionId, const std::string& frameId, World world) {
  const auto known = [&]() -> int {
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end()) throw AutomationError("the page or frame has closed");
    auto f = it->second.frames.find(frameId);
    if (f == it->second.frames.end()) return 0;
    return world == World::Page ? f->second.page : f->second.ours;
  };
  if (int id = known()) return id;
  pump();
  if (int id = known()) return id;
  if (world == World::Page) throw AutomationError("the frame has no document");
  const QJsonObject r =
      call("Page.createIsolatedWorld",
           QJsonObject{
               {"frameId", QString::fromStdString(frameId)}, {"worldName", kWorldName}, {"grantUniveralAccess", false}},
           sessionId);
  const int id = r.value("executionContextId").toInt();
  auto it = sessions_.find(sessionId);
  if (it == sessions_.end() || id == 0) throw AutomationError("the page or frame has closed");
  it->second.frames[frameId].ours = id;
  it->second.contextFrames[id] = frameId;
  return id;
}

void Browser::dropContext(const std::string& sessionId, int id) {
  if (auto it = sessions_.find(sessionId); it != sessions_.end()) contextDestroyed(it->second, id);
}

std::string Browser::sessionForFrame(const std::string& frameId, const std::string& parentSession) {
  pump();
  auto it = frameSessions_.find(frameId);
  return it == frameSessions_.end() ? parentSession : it->second;
}

void Browser::markFront(PageTarget& page) { page.frontSerial_ = ++frontCounter_; }

PageTarget* Browser::pageOfSession(const std::string& sessionId) const {
  auto it = sessions_.find(sessionId);
  return it == sessions_.end() ? nullptr : it->second.page.get();
}

std::string Browser::callProblem(std::string_view method, const std::string& sessionId) {
  auto it = sessions_.find(sessionId);
  if (it == sessions_.end()) return "the page or frame has closed";
  // While a dialog is open the page's scripts and input wait for it; the
  // browser's own commands (navigate, close, answer the dialog) still work.
  const bool inPage = method.starts_with("Runtime.") || method.starts_with("DOM.") || method.starts_with("Input.");
  if (inPage && it->second.page && it->second.page->dialogOpen_) return "the page shows a dialog";
  return {};
}

void Browser::onEvent(const QString& method, const QJsonObject& params, const std::string& sessionId) {
  const auto text = [&](const char* key) { return params.value(key).toString().toStdString(); };
  for (EventWatch* w : watches_)
    if (!w->params && w->method == method && w->sessionId == sessionId) w->params = params;
  if (method == "Target.attachedToTarget") {
    attached(params, sessionId);
  } else if (method == "Target.detachedFromTarget") {
    detached(text("sessionId"));
  } else if (method == "Target.targetDestroyed") {
    const std::string id = text("targetId");
    for (const auto& w : std::vector(windows_))
      if (w->targetId_ == id) pageGone(w);
  } else if (method == "Target.targetInfoChanged") {
    const QJsonObject info = params.value("targetInfo").toObject();
    const std::string id = info.value("targetId").toString().toStdString();
    for (const auto& w : windows_) {
      if (w->targetId_ != id) continue;
      w->url_ = info.value("url").toString().toStdString();
      w->title_ = info.value("title").toString().toStdString();
    }
  } else if (method.startsWith("Runtime.")) {
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end()) return;
    Session& s = it->second;
    if (method == "Runtime.executionContextCreated") {
      contextCreated(s, params.value("context").toObject());
    } else if (method == "Runtime.executionContextDestroyed") {
      contextDestroyed(s, params.value("executionContextId").toInt());
    } else if (method == "Runtime.executionContextsCleared") {
      s.frames.clear();
      s.contextFrames.clear();
    } else if (method == "Runtime.bindingCalled") {
      const QString name = params.value("name").toString();
      if (s.type == "page" && name == kFrontBinding && s.page) {
        markFront(*s.page);
      } else if (s.type == "service_worker" && name.toStdString() == workerBinding_) {
        notify({Notice::Worker, 0, params.value("payload").toString()});
      }
    }
  } else if (method.startsWith("Page.")) {
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end() || !it->second.page) return;
    Session& s = it->second;
    PageTarget& page = *s.page;
    if (method == "Page.javascriptDialogOpening") {
      page.dialogOpen_ = true;
      page.dialogMessage_ = params.value("message").toString().toStdString();
    } else if (method == "Page.javascriptDialogClosed") {
      page.dialogOpen_ = false;
    } else if (s.type != "page") {
      return;
    } else if (method == "Page.frameNavigated") {
      const QJsonObject frame = params.value("frame").toObject();
      if (frame.value("id").toString().toStdString() != page.targetId_) return;
      page.url_ = frame.value("url").toString().toStdString();
      notify({Notice::Navigated, page.handle_, QString::fromStdString(page.url_)});
    } else if (method == "Page.lifecycleEvent") {
      if (params.value("frameId").toString().toStdString() != page.targetId_) return;
      const QString name = params.value("name").toString();
      if (name == "init")
        page.painted_ = false;  // a new document
      else if (name.startsWith("firstPaint") || name.startsWith("firstContentfulPaint") ||
               name.startsWith("firstMeaningfulPaint"))
        page.painted_ = true;
    } else if (method == "Page.loadEventFired") {
      ++page.loadCount_;
      notify({Notice::Loaded, page.handle_, QString::fromStdString(page.url_)});
    }
  }
}

void Browser::attached(const QJsonObject& params, const std::string& parentSession) {
  const std::string session = params.value("sessionId").toString().toStdString();
  const QJsonObject info = params.value("targetInfo").toObject();
  const std::string type = info.value("type").toString().toStdString();
  const std::string targetId = info.value("targetId").toString().toStdString();
  const std::string url = info.value("url").toString().toStdString();
  const QJsonObject iframes = autoAttach(QJsonArray{"iframe"});

  if (type == "page" && parentSession.empty() && isWindowUrl(url)) {
    auto page = std::make_shared<PageTarget>(*this, targetId, session, platform::MessageBus::allocateHandle());
    page->url_ = url;
    page->title_ = info.value("title").toString().toStdString();
    sessions_[session] = Session{targetId, type, page, {}, {}};
    windows_.push_back(page);
    markFront(*page);
    tryPost("Page.enable", {}, session);
    tryPost("Page.setLifecycleEventsEnabled", QJsonObject{{"enabled", true}}, session);
    tryPost("Runtime.enable", {}, session);
    tryPost("Page.addScriptToEvaluateOnNewDocument", QJsonObject{{"source", kFrontScript}, {"worldName", kWorldName}},
            session);
    tryPost("Runtime.addBinding", QJsonObject{{"name", kFrontBinding}, {"executionContextName", kWorldName}}, session);
    tryPost("Target.setAutoAttach", iframes, session);
    tryPost("Runtime.runIfWaitingForDebugger", {}, session);
    notify({Notice::Opened, page->handle_, {}});
    return;
  }
  if (type == "iframe") {
    auto parent = sessions_.find(parentSession);
    if (parent != sessions_.end() && parent->second.page) {
      sessions_[session] = Session{targetId, type, parent->second.page, {}, {}};
      frameSessions_[targetId] = session;
      tryPost("Page.enable", {}, session);
      tryPost("Runtime.enable", {}, session);
      tryPost("Target.setAutoAttach", iframes, session);
      tryPost("Runtime.runIfWaitingForDebugger", {}, session);
      return;
    }
  }
  const auto workerKnown = [&] {
    for (const auto& [id, s] : sessions_)
      if (s.type == type && s.targetId == targetId) return true;
    return false;
  };
  if (type == "service_worker" && !workerBinding_.empty() && startsWith(url, "chrome-extension://")) {
    // One session per worker gets the binding, or each call would arrive twice.
    if (workerKnown()) {
      sessions_[session] = Session{targetId, "worker-session", nullptr, {}, {}};
      return;
    }
    sessions_[session] = Session{targetId, type, nullptr, {}, {}};
    tryPost("Runtime.addBinding", QJsonObject{{"name", QString::fromStdString(workerBinding_)}}, session);
    tryPost("Runtime.runIfWaitingForDebugger", {}, session);
    return;
  }
  // Nothing of ours: let it run and leave it alone.
  tryPost("Runtime.runIfWaitingForDebugger", {}, session);
  tryPost("Target.detachFromTarget", QJsonObject{{"sessionId", QString::fromStdString(session)}}, {});
}

void Browser::detached(const std::string& sessionId) {
  auto it = sessions_.find(sessionId);
  if (it == sessions_.end()) return;
  const Session s = std::move(it->second);
  sessions_.erase(it);
  if (s.type == "iframe") {
    if (auto f = frameSessions_.find(s.targetId); f != frameSessions_.end() && f->second == sessionId)
      frameSessions_.erase(f);
  } else if (s.type == "page" && s.page) {
    pageGone(s.page);
  }
}

void Browser::pageGone(const std::shared_ptr<PageTarget>& page) {
  if (page->closed_) return;
  page->closed_ = true;
  platform::MessageBus::releaseHandle(page->handle_);
  std::erase(windows_, page);
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    if (it->second.page == page) {
      if (auto f = frameSessions_.find(it->second.targetId); f != frameSessions_.end() && f->second == it->first)
        frameSessions_.erase(f);
      it = sessions_.erase(it);
    } else {
      ++it;
    }
  }
  notify({Notice::Closed, page->handle_, {}});
}

void Browser::onClosed() {
  // The browser exited or crashed: every window is gone.
  const auto pages = windows_;
  for (const auto& p : pages) pageGone(p);
  sessions_.clear();
  frameSessions_.clear();
  process_.stop(std::chrono::milliseconds(2000));
  notify({Notice::Exited, 0, {}});
}

void Browser::contextCreated(Session& session, const QJsonObject& context) {
  const int id = context.value("id").toInt();
  const QJsonObject aux = context.value("auxData").toObject();
  const std::string frameId = aux.value("frameId").toString().toStdString();
  if (frameId.empty() || id == 0) return;
  if (aux.value("isDefault").toBool())
    session.frames[frameId].page = id;
  else if (context.value("name").toString() == kWorldName)
    session.frames[frameId].ours = id;
  else
    return;
  session.contextFrames[id] = frameId;
}

void Browser::contextDestroyed(Session& session, int id) {
  auto it = session.contextFrames.find(id);
  if (it == session.contextFrames.end()) return;
  if (auto f = session.frames.find(it->second); f != session.frames.end()) {
    if (f->second.page == id) f->second.page = 0;
    if (f->second.ours == id) f->second.ours = 0;
  }
  session.contextFrames.erase(it);
}

void Browser::notify(Notice notice) {
  notices_.push_back(std::move(notice));
  if (deliveryScheduled_) return;
  deliveryScheduled_ = true;
  QMetaObject::invokeMethod(this, &Browser::deliverNotices, Qt::QueuedConnection);
}

void Browser::deliverNotices() {
  deliveryScheduled_ = false;
  while (!notices_.empty()) {
    const Notice n = std::move(notices_.front());
    notices_.pop_front();
    switch (n.kind) {
      case Notice::Opened:
        emit windowOpened(n.handle);
        break;
      case Notice::Loaded:
        emit pageLoaded(n.handle, n.text);
        break;
      case Notice::Navigated:
        emit pageNavigated(n.handle, n.text);
        break;
      case Notice::Closed:
        emit windowClosed(n.handle);
        break;
      case Notice::Worker:
        emit workerMessage(n.text);
        break;
      case Notice::Exited:
        emit exited();
        break;
    }
  }
}

}  // namespace cdp
