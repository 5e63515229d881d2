#include <gtest/gtest.h>

#include "tests/support/TestEnv.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testenv::isolateHome();
  return RUN_ALL_TESTS();
}
