#pragma once

#include <QCoreApplication>
#include <vector>

#include "platform/bus/MessageReceiver.h"

namespace idletest {

// A window of the test's thread that keeps what it is posted (the main window's
// part).
class Receiver {
 public:
  platform::WindowHandle handle() const { return receiver_.handle(); }
  // Hands over what was posted so far.
  const std::vector<platform::Message>& messages() {
    QCoreApplication::sendPostedEvents();
    return messages_;
  }

 private:
  std::vector<platform::Message> messages_;
  platform::MessageReceiver receiver_{[this](const platform::Message& m) -> std::int64_t {
    messages_.push_back(m);
    return 0;
  }};
};

}  // namespace idletest
