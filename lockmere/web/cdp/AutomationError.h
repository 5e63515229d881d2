#pragma once

#include <stdexcept>
#include <string>

namespace cdp {

// A browser call that failed: the browser answered with an error, did not answer
// in time, closed the page or window the call was for, or exited. The callers
// catch it where a failed automation call is expected and carry on or give up.
class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace cdp
