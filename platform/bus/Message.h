#pragma once

#include <cstdint>
#include <functional>

#include "platform/WindowMessages.h"

namespace platform {

// One window message: the receiving window, the number and its two parameters.
struct Message {
  WindowHandle window = 0;
  std::uint32_t message = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
};

// What a window does with a message; the result goes back to a sender.
using MessageHandler = std::function<std::int64_t(const Message&)>;

}  // namespace platform
