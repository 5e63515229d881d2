#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>

#include "tests/support/TestEnv.h"

namespace webtest {
void shutdown();
}

namespace {

// Ends the browser before the test home (its profile) is removed.
class BrowserEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { webtest::shutdown(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testenv::isolateHome();
  ::setenv("LOCKMERE_BROWSER_HEADLESS", "1", 0);
  QCoreApplication app(argc, argv);
  ::testing::AddGlobalTestEnvironment(new BrowserEnvironment);
  return RUN_ALL_TESTS();
}
