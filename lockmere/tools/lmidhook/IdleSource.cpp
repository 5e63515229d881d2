#include "IdleSource.h"

#include <cstdlib>
#include <string_view>

#include "DBusIdleSource.h"
#include "XIdleSource.h"

namespace lmidhook {

bool isWaylandSession() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) return true;
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return type && std::string_view(type) == "wayland";
}

std::vector<std::unique_ptr<IdleSource>> candidateSources() {
  std::vector<std::unique_ptr<IdleSource>> sources;
  if (!isWaylandSession()) sources.push_back(std::make_unique<XIdleSource>());
  sources.push_back(std::make_unique<DBusIdleSource>(kMutterIdleMonitor));
  sources.push_back(std::make_unique<DBusIdleSource>(kFreedesktopScreenSaver));
  return sources;
}

}  // namespace lmidhook
