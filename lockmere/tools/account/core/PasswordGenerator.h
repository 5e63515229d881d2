#pragma once

#include <optional>
#include <string>

// Random passwords for web sites, from the system's random generator.
namespace account {

struct PasswordRecipe {
  int length = 16;
  bool upper = true;
  bool lower = true;
  bool digits = true;
  bool symbols = true;
  bool avoidLookAlikes = true;  // leaves out 0 O o 1 l I | and the like, which are misread when typed from paper
};

inline constexpr int kMinGeneratedLength = 4;
inline constexpr int kMaxGeneratedLength = 128;

// The characters the recipe draws from, class by class joined.
std::string passwordAlphabet(const PasswordRecipe& recipe);

// A password of the recipe's length with at least one character of every
// chosen class, each character drawn uniformly (no modulo bias). Nullopt when
// no class is chosen, the length is outside 4..128 or shorter than the number
// of classes, or the random generator fails.
std::optional<std::string> generatePassword(const PasswordRecipe& recipe);

}  // namespace account
