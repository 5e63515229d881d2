#include "lockmere/web/FrameWalk.h"

#include "lockmere/web/cdp/AutomationError.h"

namespace web {

bool FindFrameWhere(const cdp::Frame& window, const std::function<FrameAnswer(const cdp::Frame&)>& test,
                    std::optional<cdp::Frame>& found) {
  switch (test(window)) {
    case FrameAnswer::Found:
      found = window;
      return true;
    case FrameAnswer::Stop:
      return false;
    case FrameAnswer::Descend:
      break;
  }
  try {
    for (const cdp::Frame& child : window.childFrames())
      if (FindFrameWhere(child, test, found)) return true;
  } catch (const cdp::AutomationError&) {
  }
  return false;
}

}  // namespace web
