#pragma once

#include <string>

#include "IdleSource.h"

struct DBusConnection;

namespace lmidhook {

// A method of a desktop service on the session bus that answers the idle time
// in milliseconds.
struct DBusIdleMethod {
  const char* service;
  const char* path;
  const char* interface;
  const char* method;
  int replyType;  // DBUS_TYPE_UINT64 or DBUS_TYPE_UINT32
};

// GNOME's compositor (X11 and Wayland sessions alike).
extern const DBusIdleMethod kMutterIdleMonitor;
// The freedesktop screen-saver interface where the desktop implements the idle
// time (KDE Plasma answers in milliseconds; GNOME Shell answers "not supported").
extern const DBusIdleMethod kFreedesktopScreenSaver;

// Asks one of those methods over a private connection to the session bus
// (libdbus-1; no Qt, so the library does not depend on the program's event
// loop). The bus is the one DBUS_SESSION_BUS_ADDRESS names, else the user's bus
// socket in XDG_RUNTIME_DIR; never an auto-launched one.
class DBusIdleSource final : public IdleSource {
 public:
  static constexpr int kCallTimeoutMs = 1000;

  explicit DBusIdleSource(const DBusIdleMethod& method) : method_(method) {}
  ~DBusIdleSource() override;
  DBusIdleSource(const DBusIdleSource&) = delete;
  DBusIdleSource& operator=(const DBusIdleSource&) = delete;

  std::optional<std::uint64_t> idleMilliseconds() override;

  // The session bus address to use; empty when there is none.
  static std::string sessionBusAddress();

 private:
  bool connect();
  void disconnect();
  std::optional<std::uint64_t> call();

  const DBusIdleMethod& method_;
  DBusConnection* connection_ = nullptr;
};

}  // namespace lmidhook
