#pragma once

// The security level the program's account tools give every template they
// enroll (VD_SetSecurityLevel / VD_FAST_SetSecurityLevel). 5 is the strictest and
// what a completed template carries from the library.
namespace bio {

inline constexpr int kProgramEnrollmentLevel = 5;

}  // namespace bio
