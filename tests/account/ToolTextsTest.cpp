// The tools' own text table covers everything they can say, in both languages.
#include <gtest/gtest.h>

#include "lockmere/tools/account/core/Problem.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

namespace account::test {
namespace {

TEST(ToolTexts, EveryTextAndEveryProblemInKoreanAndJapanese) {
  for (int i = 0; i < int(ui::Text::kCount); ++i)
    for (bool japanese : {false, true}) EXPECT_FALSE(ui::text(ui::Text(i), japanese).isEmpty()) << i;
  for (int p = int(Problem::None) + 1; p <= int(kLastProblem); ++p) {
    const QString english = QString::fromStdString(describe(Failure(Problem(p))));
    const QString korean = ui::problemText(Problem(p), false), japanese = ui::problemText(Problem(p), true);
    EXPECT_NE(korean, english) << p;  // not the English fallback
    EXPECT_NE(japanese, english) << p;
    EXPECT_NE(korean, japanese) << p;
  }
  // The CSV fault names its line.
  EXPECT_TRUE(ui::problemText(Failure(Problem::CsvMalformed, "3 fields", 7)).contains("7"));
}

}  // namespace
}  // namespace account::test
