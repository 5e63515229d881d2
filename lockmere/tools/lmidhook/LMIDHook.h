#pragma once

// libLMIDHook.so: the keyboard and mouse hook library that the program loads by
// the name "LMIDHook.dll". Three exports without arguments, plain names:
//
//   SetKBnMouseHook  true when the last input time can be followed (the hook is
//                    in place); false when no idle source of the desktop answers
//   UnKBnMouseHook   gives back what SetKBnMouseHook took
//   GetLastDateTime  time of the most recent keyboard or mouse input anywhere on
//                    the desktop, in days since 1899-12-30, local time
//
// All three may be called from any thread. Installs are counted: every
// successful SetKBnMouseHook is matched by one UnKBnMouseHook, and the desktop
// connection closes with the last one, so two watches that overlap for a
// moment (one ending, its successor starting) never take the hook from each
// other.

#define LMIDHOOK_API extern "C" __attribute__((visibility("default")))

LMIDHOOK_API bool SetKBnMouseHook() noexcept;
LMIDHOOK_API void UnKBnMouseHook() noexcept;
LMIDHOOK_API double GetLastDateTime() noexcept;

using SetKBnMouseHookFn = bool (*)();
using UnKBnMouseHookFn = void (*)();
using GetLastDateTimeFn = double (*)();
