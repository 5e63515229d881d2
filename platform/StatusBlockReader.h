#pragma once

#include <optional>
#include <string>

#include "platform/StatusBlock.h"

namespace platform {

// The reader side of the shared status block, for the browser add-on. Every read
// opens the block by name, so a restarted program is found again. A block that
// belongs to another user is refused.
//
//   platform::StatusBlockReader reader;
//   if (auto s = reader.read(); s && s->loggedIn && s->autoGetUrl) report(s->windowHandle);
class StatusBlockReader {
 public:
  explicit StatusBlockReader(std::string name = StatusBlock::defaultName());

  // Empty when no program has created the block (or it cannot be read); errorString() says which.
  std::optional<StatusBlockData> read();

  const std::string& name() const { return name_; }
  const std::string& errorString() const { return error_; }

 private:
  std::string name_;
  std::string error_;
};

}  // namespace platform
