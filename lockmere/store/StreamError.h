#pragma once

#include <stdexcept>

namespace store {

// Reading or writing a component stream failed; what() says why.
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace store
