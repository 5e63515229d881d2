#pragma once

#include <functional>
#include <optional>

#include "lockmere/web/cdp/Frame.h"

namespace web {

// What a search answers for one document window.
enum class FrameAnswer {
  Found,    // this window is the one
  Descend,  // not this one: its frames are searched
  Stop,     // not this one, nor any frame in it
};

// The first document window, depth first in frame order, for which the test
// answers Found. A frame list that cannot be read ends the search in that window.
bool FindFrameWhere(const cdp::Frame& window, const std::function<FrameAnswer(const cdp::Frame&)>& test,
                    std::optional<cdp::Frame>& found);

}  // namespace web
