#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lockmere/web/cdp/BrowserProcess.h"
#include "lockmere/web/cdp/Connection.h"
#include "lockmere/web/cdp/Frame.h"
#include "lockmere/web/cdp/PageTarget.h"
#include "platform/WindowMessages.h"

namespace cdp {

// The program's own browser: a Chromium started on first need with a profile of
// its own, driven over the DevTools pipe. It keeps the browser windows (page
// targets, each with a message-bus handle) and the frames' sessions and
// execution contexts up to date from the browser's events.
//
// Everything runs on the thread that created it (the main thread). Calls wait
// for their reply with a deadline; events read meanwhile update the windows at
// once, and the signals below are emitted later from the event loop, never from
// inside a call. When the browser exits, every window closes and the next need
// starts a new browser.
class Browser : public QObject, private ConnectionListener {
  Q_OBJECT
 public:
  static constexpr std::chrono::milliseconds kCallTimeout{5000};
  static constexpr std::chrono::milliseconds kStartTimeout{30000};

  explicit Browser(LaunchOptions options = LaunchOptions::fromEnvironment(), QObject* parent = nullptr);
  ~Browser() override;

  const LaunchOptions& options() const { return options_; }
  // Loaded into the browser when it starts (the folder of an unpacked
  // extension); takes effect at the next start.
  void setExtensionDir(const std::string& dir) { extensionDir_ = dir; }
  // A function named `name` offered to the scripts of the extensions' service
  // workers: what they pass to it arrives as workerMessage(). Set before start.
  void setWorkerBinding(const std::string& name) { workerBinding_ = name; }

  bool isRunning() const;
  pid_t processId() const { return process_.pid(); }
  // Starts the browser when it is not running. Throws AutomationError.
  void ensureRunning();
  // Closes the browser (its windows with it), gracefully when it answers.
  void shutdown();

  // A new window showing the address (the browser started when needed). Returns
  // once the window exists; the page loads on its own.
  std::shared_ptr<PageTarget> openWindow(const std::string& url);
  // Open windows, oldest first; empty when the browser is not running.
  std::vector<std::shared_ptr<PageTarget>> windows() const;
  std::shared_ptr<PageTarget> window(platform::WindowHandle handle) const;
  // The window the user last had in front (or we brought to the front); null when
  // there is none.
  std::shared_ptr<PageTarget> topWindow() const;
  // Closes every window; does not start the browser.
  void closeAllWindows();

  // A command to the browser (sessionId empty: the browser itself).
  QJsonObject call(std::string_view method, const QJsonObject& params = {}, const std::string& sessionId = {},
                   std::chrono::milliseconds timeout = kCallTimeout);
  QJsonObject call(std::string_view method, SecretText paramsJson, const std::string& sessionId,
                   std::chrono::milliseconds timeout = kCallTimeout);
  void post(std::string_view method, const QJsonObject& params, const std::string& sessionId);
  // Handles what the browser has sent, waiting up to `wait` for something.
  void pump(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
  // Handles the browser's messages until the condition holds; false at the timeout.
  bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
  // Handles the browser's messages until an event of this method arrives on the
  // session; its parameters, or nothing at the timeout.
  std::optional<QJsonObject> waitForEvent(const std::string& sessionId, std::string_view method,
                                          std::chrono::milliseconds timeout);

  // The execution context of a frame's document in a world; throws AutomationError.
  int contextId(const std::string& sessionId, const std::string& frameId, World world);
  // Forgets a context that the browser no longer knows.
  void dropContext(const std::string& sessionId, int contextId);
  // The session that holds a frame's document: the frame's own when it is a
  // cross-site frame, else the given parent's.
  std::string sessionForFrame(const std::string& frameId, const std::string& parentSession);

 signals:
  void windowOpened(quint32 handle);
  // The top document of a window finished loading (its load event).
  void pageLoaded(quint32 handle, const QString& url);
  // The window shows a new top document (it navigated away from the last one).
  void pageNavigated(quint32 handle, const QString& url);
  void windowClosed(quint32 handle);
  // A service worker of an extension called the worker binding.
  void workerMessage(const QString& payload);
  void exited();

 private:
  struct FrameContexts {
    int page = 0;
    int ours = 0;
  };
  struct Session {
    std::string targetId;
    std::string type;  // "page", "iframe", "service_worker"
    std::shared_ptr<PageTarget> page;
    std::unordered_map<std::string, FrameContexts> frames;
    std::unordered_map<int, std::string> contextFrames;
  };
  struct Notice {
    enum Kind { Opened, Loaded, Navigated, Closed, Worker, Exited } kind;
    platform::WindowHandle handle = 0;
    QString text;
  };

  void onEvent(const QString& method, const QJsonObject& params, const std::string& sessionId) override;
  void onClosed() override;
  std::string callProblem(std::string_view method, const std::string& sessionId) override;

  void start();
  void attached(const QJsonObject& params, const std::string& parentSession);
  void detached(const std::string& sessionId);
  void pageGone(const std::shared_ptr<PageTarget>& page);
  void contextCreated(Session& session, const QJsonObject& context);
  void contextDestroyed(Session& session, int id);
  void tryPost(std::string_view method, const QJsonObject& params, const std::string& sessionId);
  void notify(Notice notice);
  void deliverNotices();
  void markFront(PageTarget& page);
  PageTarget* pageOfSession(const std::string& sessionId) const;

  friend class PageTarget;

  LaunchOptions options_;
  std::string extensionDir_;
  std::string workerBinding_;
  BrowserProcess process_;
  std::unique_ptr<Connection> connection_;
  std::unordered_map<std::string, Session> sessions_;
  std::unordered_map<std::string, std::string> frameSessions_;  // cross-site frame id -> its session
  std::vector<std::shared_ptr<PageTarget>> windows_;
  std::uint64_t frontCounter_ = 0;
  struct EventWatch {
    std::string sessionId;
    QString method;
    std::optional<QJsonObject> params;
  };
  std::vector<EventWatch*> watches_;
  std::deque<Notice> notices_;
  bool deliveryScheduled_ = false;
};

}  // namespace cdp
