#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TestEnv.h"

// The tools' windows live in a QApplication, as they do in the program.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testenv::isolateHome();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
