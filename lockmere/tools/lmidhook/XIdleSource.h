#pragma once

#include <cstdint>

#include "IdleSource.h"

struct xcb_connection_t;

namespace lmidhook {

// The X server's MIT-SCREEN-SAVER extension: its idle counter is reset by every
// key and pointer event the server handles (XTest events too). A connection of
// its own to $DISPLAY, through xcb rather than Xlib: Xlib ends the whole program
// when the server goes away, unless a process-wide handler is replaced. A lost
// connection is made again at the next call.
class XIdleSource final : public IdleSource {
 public:
  XIdleSource() = default;
  ~XIdleSource() override;
  XIdleSource(const XIdleSource&) = delete;
  XIdleSource& operator=(const XIdleSource&) = delete;

  std::optional<std::uint64_t> idleMilliseconds() override;

 private:
  bool open();
  void close();
  std::optional<std::uint64_t> query();

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
};

}  // namespace lmidhook
