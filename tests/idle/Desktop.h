#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

namespace idletest {

// Leaves this process without a desktop: no display, no Wayland, no session
// bus (XDG_RUNTIME_DIR names an empty folder). Call before any thread starts.
void clearDesktopEnvironment();

// An Xvfb server of the test's own, on a display number the server picks.
class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts the server and sets DISPLAY to it. False with errorString().
  bool start();
  void stop();
  const std::string& display() const { return display_; }
  const std::string& errorString() const { return error_; }

  // A real key press and release through the server's XTest extension (xdotool).
  bool pressKey();

 private:
  QProcess server_;
  std::string display_;
  std::string error_;
};

// A private session bus (dbus-daemon) with one fake desktop service on it
// (idle-monitor-sim), standing in for the desktop's idle monitor.
class SessionBus {
 public:
  SessionBus() = default;
  ~SessionBus() { stop(); }
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Starts the bus, sets DBUS_SESSION_BUS_ADDRESS to it and starts the service
  // with these options (see idle-monitor-sim). False with errorString().
  bool start(const QStringList& serviceOptions);
  void stop();
  // Calls a method without arguments on the service, as the desktop does on input.
  bool call(const QString& service, const QString& path, const QString& interface, const QString& method);
  const std::string& errorString() const { return error_; }

 private:
  QProcess daemon_;
  QProcess service_;
  QString address_;
  std::string error_;
};

}  // namespace idletest
