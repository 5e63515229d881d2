#include "DBusIdleSource.h"

#include <dbus/dbus.h>
#include <sys/stat.h>

#include <cstdlib>

namespace lmidhook {

const DBusIdleMethod kMutterIdleMonitor{"org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                                        "org.gnome.Mutter.IdleMonitor", "GetIdletime", DBUS_TYPE_UINT64};

const DBusIdleMethod kFreedesktopScreenSaver{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                             "org.freedesktop.ScreenSaver", "GetSessionIdleTime", DBUS_TYPE_UINT32};

namespace {

// Frees a libdbus error, message or reply at the end of a scope.
struct Error {
  DBusError error;
  Error() { dbus_error_init(&error); }
  ~Error() { dbus_error_free(&error); }
};

struct MessageRef {
  DBusMessage* message;
  ~MessageRef() {
    if (message) dbus_message_unref(message);
  }
};

}  // namespace

DBusIdleSource::~DBusIdleSource() { disconnect(); }

std::string DBusIdleSource::sessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string socket = std::string(runtime) + "/bus";
  struct stat info {};
  if (::stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return {};
  return "unix:path=" + socket;
}

std::optional<std::uint64_t> DBusIdleSource::idleMilliseconds() {
  if (!connection_ && !connect()) return std::nullopt;
  if (auto idle = call()) return idle;
  if (dbus_connection_get_is_connected(connection_)) return std::nullopt;
  // The bus went away (session restarted): one fresh connection.
  disconnect();
  if (!connect()) return std::nullopt;
  return call();
}

bool DBusIdleSource::connect() {
  const std::string address = sessionBusAddress();
  if (address.empty()) return false;
  Error error;
  connection_ = dbus_connection_open_private(address.c_str(), &error.error);
  if (!connection_) return false;
  dbus_connection_set_exit_on_disconnect(connection_, FALSE);
  if (!dbus_bus_register(connection_, &error.error)) {
    disconnect();
    return false;
  }
  return true;
}

void DBusIdleSource::disconnect() {
  if (!connection_) return;
  dbus_connection_close(connection_);
  dbus_connection_unref(connection_);
  connection_ = nullptr;
}

std::optional<std::uint64_t> DBusIdleSource::call() {
  MessageRef request{dbus_message_new_method_call(method_.service, method_.path, method_.interface, method_.method)};
  if (!request.message) return std::nullopt;
  Error error;
  MessageRef reply{
      dbus_connection_send_with_reply_and_block(connection_, request.message, kCallTimeoutMs, &error.error)};
  if (!reply.message) return std::nullopt;
  if (method_.replyType == DBUS_TYPE_UINT64) {
    dbus_uint64_t idle = 0;
    if (!dbus_message_get_args(reply.message, &error.error, DBUS_TYPE_UINT64, &idle, DBUS_TYPE_INVALID))
      return std::nullopt;
    return idle;
  }
  dbus_uint32_t idle = 0;
  if (!dbus_message_get_args(reply.message, &error.error, DBUS_TYPE_UINT32, &idle, DBUS_TYPE_INVALID))
    return std::nullopt;
  return idle;
}

}  // namespace lmidhook
