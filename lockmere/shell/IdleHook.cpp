#include "lockmere/shell/IdleHook.h"

#include <cmath>

#include "lockmere/tools/lmidhook/LMIDHook.h"

namespace shell {

LMIDHookLibrary::LMIDHookLibrary() : library_("LMIDHook.dll") {}

bool LMIDHookLibrary::bind() {
  if (set_ && unset_ && get_) return true;
  if (!library_.isLoaded() && !library_.load()) {
    error_ = library_.errorString();
    return false;
  }
  set_ = library_.resolve<SetKBnMouseHookFn>("SetKBnMouseHook");
  unset_ = library_.resolve<UnKBnMouseHookFn>("UnKBnMouseHook");
  get_ = library_.resolve<GetLastDateTimeFn>("GetLastDateTime");
  if (set_ && unset_ && get_) return true;
  error_ = library_.errorString();
  set_ = nullptr;
  unset_ = nullptr;
  get_ = nullptr;
  return false;
}

bool LMIDHookLibrary::install() {
  if (!bind()) return false;
  if (set_()) return true;
  error_ = "no idle source of the desktop answered (" + library_.fileName() + ")";
  return false;
}

void LMIDHookLibrary::uninstall() {
  if (unset_) unset_();
}

std::optional<double> LMIDHookLibrary::lastInputTime() {
  if (!get_) return std::nullopt;
  const double last = get_();
  // 0 is the library's "no hook": never a time of input.
  if (!std::isfinite(last) || last <= 0.0) return std::nullopt;
  return last;
}

}  // namespace shell
