#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lmidhook {

// One way of asking the desktop how long ago the user last pressed a key or
// moved the mouse. Not thread-safe: the library calls it under its own lock.
class IdleSource {
 public:
  virtual ~IdleSource() = default;
  // Milliseconds since the last input; nullopt when the desktop does not answer.
  virtual std::optional<std::uint64_t> idleMilliseconds() = 0;
};

// The sources this session may offer, in the order they are tried: on X11 the
// X server's screen-saver extension first, then the idle monitors over D-Bus; in
// a Wayland session only the D-Bus ones (the X server of a Wayland session sees
// only the input that goes to X programs).
std::vector<std::unique_ptr<IdleSource>> candidateSources();

// Whether this is a Wayland session (WAYLAND_DISPLAY or XDG_SESSION_TYPE says so).
bool isWaylandSession();

}  // namespace lmidhook
