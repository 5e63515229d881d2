#pragma once

#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/TemplateRecords.h"

namespace users {

// What the login, confirmation, fingerprint login and deletion windows need of
// the main window, which implements it and outlives every window it hands it
// to.
class SessionHost {
 public:
  // The main window's data key buffer: a login writes the 56-byte data key
  // into it.
  virtual crypto::SecureBytes& dataKey() = 0;
  // The program key the main window assembled at start-up.
  virtual const crypto::SecureBytes& programKey() const = 0;

  virtual std::string currentUserId() const = 0;
  virtual void setCurrentUserId(const std::string& userId) = 0;

  // The logged-in user's template records (the per-user array): replaced at
  // login, searched by the confirmation, fingerprint login and deletion windows.
  virtual store::TemplateRecords& userRecords() = 0;

  // The login window's new-user button: start the new-user account tool.
  virtual void startNewUserTool() = 0;

 protected:
  ~SessionHost() = default;
};

}  // namespace users
