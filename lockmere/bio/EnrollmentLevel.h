#pragma once

// The security level the program's account tools give every template they
// enroll (VD_SetSecurityLevel / VD_FAST_SetSecurityLevel). 5 is the strictest and
// what a completed template carries from the library (12 paired minutiae).
// Level 3 asks for 9: the lowest level whose bound stays 3 pairs above the
// most that any comparison of two different fingers reached on the sample
// sets (6), and none of those comparisons is accepted at it
// (docs/accuracy.md, "Security levels").
namespace bio {

inline constexpr int kProgramEnrollmentLevel = 3;

}  // namespace bio
