// The password generator and the clipboard it fills.
#include <QClipboard>
#include <QGuiApplication>
#include <map>
#include <set>

#include "lockmere/tools/account/core/PasswordGenerator.h"
#include "lockmere/tools/account/ui/PasswordGenWindow.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

bool containsAny(const std::string& text, std::string_view set) { return text.find_first_of(set) != std::string::npos; }

TEST(PasswordGenerator, EveryChosenClassAndNothingElse) {
  for (int mask = 1; mask < 16; ++mask) {
    for (bool avoid : {false, true}) {
      PasswordRecipe r;
      r.upper = mask & 1;
      r.lower = mask & 2;
      r.digits = mask & 4;
      r.symbols = mask & 8;
      r.avoidLookAlikes = avoid;
      r.length = 4 + mask;
      const std::string alphabet = passwordAlphabet(r);
      for (int i = 0; i < 50; ++i) {
        const auto p = generatePassword(r);
        ASSERT_TRUE(p);
        ASSERT_EQ(int(p->size()), r.length);
        EXPECT_EQ(p->find_first_not_of(alphabet), std::string::npos) << *p;
        EXPECT_EQ(containsAny(*p, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"), r.upper) << *p;
        EXPECT_EQ(containsAny(*p, "abcdefghijklmnopqrstuvwxyz"), r.lower) << *p;
        EXPECT_EQ(containsAny(*p, "0123456789"), r.digits) << *p;
        EXPECT_EQ(containsAny(*p, "!#$%&*+-=?@^_~"), r.symbols) << *p;
        EXPECT_TRUE(!avoid || !containsAny(*p, "0Oo1lI|")) << *p;
      }
    }
  }
}

TEST(PasswordGenerator, RefusesWhatCannotBeMade) {
  PasswordRecipe r;
  r.upper = r.lower = r.digits = r.symbols = false;
  EXPECT_FALSE(generatePassword(r));
  PasswordRecipe shortOne;
  shortOne.length = 3;
  EXPECT_FALSE(generatePassword(shortOne));
  shortOne.length = kMaxGeneratedLength + 1;
  EXPECT_FALSE(generatePassword(shortOne));
  shortOne.length = kMaxGeneratedLength;
  EXPECT_EQ(generatePassword(shortOne)->size(), std::size_t(kMaxGeneratedLength));
}

TEST(PasswordGenerator, DrawsEveryCharacterAboutEquallyOften) {
  PasswordRecipe r;
  r.upper = r.lower = r.symbols = false;
  r.avoidLookAlikes = false;  // the ten digits
  r.length = 100;
  std::map<char, int> counts;
  std::set<std::string> distinct;
  for (int i = 0; i < 400; ++i) {
    const auto p = *generatePassword(r);
    distinct.insert(p);
    for (char c : p) ++counts[c];
  }
  EXPECT_EQ(distinct.size(), 400u);
  ASSERT_EQ(counts.size(), 10u);
  for (const auto& [c, n] : counts) {  // 4000 expected each
    EXPECT_GT(n, 3600) << c;
    EXPECT_LT(n, 4400) << c;
  }
}

TEST(ClipboardGuard, ClearsOnlyWhatItWasGiven) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("generated-1");
  ui::ClipboardGuard::watch("generated-1", 1);
  EXPECT_TRUE(waitUntil([&] { return clipboard->text().isEmpty(); }, 5s));

  clipboard->setText("generated-2");
  ui::ClipboardGuard::watch("generated-2", 1);
  clipboard->setText("copied by the user since");
  waitUntil([] { return false; }, 1500ms);
  EXPECT_EQ(clipboard->text(), "copied by the user since");
}

}  // namespace
}  // namespace account::test
