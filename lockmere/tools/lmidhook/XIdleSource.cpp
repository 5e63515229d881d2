#include "XIdleSource.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace lmidhook {

XIdleSource::~XIdleSource() { close(); }

std::optional<std::uint64_t> XIdleSource::idleMilliseconds() {
  if (!connection_ && !open()) return std::nullopt;
  if (auto idle = query()) return idle;
  // A server that was restarted answers on a new connection.
  close();
  if (!open()) return std::nullopt;
  return query();
}

bool XIdleSource::open() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  int screen = 0;
  connection_ = xcb_connect(name, &screen);
  if (xcb_connection_has_error(connection_)) {
    close();
    return false;
  }
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_screensaver_id);
  xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (; screen > 0 && roots.rem; --screen) xcb_screen_next(&roots);
  if (!extension || !extension->present || !roots.rem) {
    close();
    return false;
  }
  root_ = roots.data->root;
  return true;
}

void XIdleSource::close() {
  if (!connection_) return;
  xcb_disconnect(connection_);
  connection_ = nullptr;
}

std::optional<std::uint64_t> XIdleSource::query() {
  xcb_generic_error_t* error = nullptr;
  xcb_screensaver_query_info_reply_t* reply =
      xcb_screensaver_query_info_reply(connection_, xcb_screensaver_query_info(connection_, root_), &error);
  std::free(error);
  if (!reply) return std::nullopt;
  const std::uint64_t idle = reply->ms_since_user_input;
  std::free(reply);
  return idle;
}

}  // namespace lmidhook
