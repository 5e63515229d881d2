#pragma once

namespace users {

// The results the windows close with, numbered as the callers test them.
enum ModalResult {
  mrNone = 0,
  mrOK = 1,
  mrCancel = 2,
  mrNewUser = 5,  // the login window: the user chose to register a new user
};

}  // namespace users
