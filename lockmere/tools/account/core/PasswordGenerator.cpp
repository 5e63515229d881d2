#include "lockmere/tools/account/core/PasswordGenerator.h"

#include <string_view>
#include <utility>
#include <vector>

#include "lockmere/crypto/Random.h"
#include "lockmere/crypto/SecureBytes.h"

namespace account {
namespace {

constexpr std::string_view kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kLower = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kSymbols = "!#$%&*+-=?@^_~";
constexpr std::string_view kLookAlikes = "0Oo1lI|";

std::vector<std::string> classes(const PasswordRecipe& recipe) {
  std::vector<std::string> out;
  for (const auto& [chosen, set] : {std::pair{recipe.upper, kUpper}, std::pair{recipe.lower, kLower},
                                    std::pair{recipe.digits, kDigits}, std::pair{recipe.symbols, kSymbols}}) {
    if (!chosen) continue;
    std::string kept;
    for (char c : set)
      if (!recipe.avoidLookAlikes || kLookAlikes.find(c) == std::string_view::npos) kept += c;
    out.push_back(std::move(kept));
  }
  return out;
}

// A uniform number below bound (at most 256) from the system's generator.
std::optional<unsigned> below(unsigned bound) {
  const unsigned limit = 256 - 256 % bound;  // larger bytes would favour the low numbers
  while (true) {
    unsigned char b = 0;
    if (!crypto::randomBytes(&b, 1)) return std::nullopt;
    if (b < limit) return b % bound;
  }
}

}  // namespace

std::string passwordAlphabet(const PasswordRecipe& recipe) {
  std::string all;
  for (const std::string& set : classes(recipe)) all += set;
  return all;
}

std::optional<std::string> generatePassword(const PasswordRecipe& recipe) {
  const std::vector<std::string> sets = classes(recipe);
  if (sets.empty() || recipe.length < kMinGeneratedLength || recipe.length > kMaxGeneratedLength ||
      recipe.length < static_cast<int>(sets.size()))
    return std::nullopt;
  const std::string all = passwordAlphabet(recipe);
  std::string password;
  // One of each class first, the rest from all of them, then shuffled.
  for (const std::string& set : sets) {
    const auto i = below(static_cast<unsigned>(set.size()));
    if (!i) return std::nullopt;
    password += set[*i];
  }
  while (static_cast<int>(password.size()) < recipe.length) {
    const auto i = below(static_cast<unsigned>(all.size()));
    if (!i) return std::nullopt;
    password += all[*i];
  }
  for (std::size_t k = password.size(); k > 1; --k) {
    const auto j = below(static_cast<unsigned>(k));
    if (!j) {
      crypto::wipe(password);
      return std::nullopt;
    }
    std::swap(password[k - 1], password[*j]);
  }
  return password;
}

}  // namespace account
