#pragma once

#include <optional>
#include <string>

#include "platform/Library.h"

namespace shell {

// Where the idle watch learns the time of the last keyboard or mouse input.
// The program's is the hook library (LMIDHookLibrary); tests give their own
// input. Each watch holds one; calls to one object come from one thread at a
// time.
class IdleHook {
 public:
  virtual ~IdleHook() = default;
  // Puts the hook in place; false when the last input time cannot be followed.
  virtual bool install() = 0;
  // Gives back a successful install.
  virtual void uninstall() = 0;
  // Days since 1899-12-30, local time; nullopt when the call failed.
  virtual std::optional<double> lastInputTime() = 0;
};

// The hook library "LMIDHook.dll" (libLMIDHook.so), loaded by file name on the
// first install and held as long as this object lives.
class LMIDHookLibrary final : public IdleHook {
 public:
  LMIDHookLibrary();

  bool install() override;
  void uninstall() override;
  std::optional<double> lastInputTime() override;

  // Why install() failed: the library is missing or lacks an export, or no idle
  // source of the desktop answered.
  const std::string& errorString() const { return error_; }

 private:
  bool bind();

  platform::Library library_;
  bool (*set_)() = nullptr;
  void (*unset_)() = nullptr;
  double (*get_)() = nullptr;
  std::string error_;
};

}  // namespace shell
