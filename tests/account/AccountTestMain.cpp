#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/TestEnv.h"

// The tools' windows live in a QApplication, as they do in the program.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testenv::isolateHome();
  ::setenv("LOCKMERE_LANG", "ko", 1);           // the tools' texts the tests compare with
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when ctest lists the tests
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
