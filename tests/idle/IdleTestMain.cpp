#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/TestEnv.h"

// The watch's messages arrive through the main thread's event loop.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testenv::isolateHome();
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
