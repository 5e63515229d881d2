// The run-time binding of the two libraries, through the real files.
#include <gtest/gtest.h>

#include <QVariant>
#include <cstdlib>
#include <filesystem>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "tests/bio/BioFixture.h"
#include "tests/support/TestEnv.h"

namespace bio::test {
namespace {

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("LOCKMERE_LIB_DIR");
    // Every check below counts on a process that holds neither library yet.
    ASSERT_FALSE(isInProcess("libRidgeport.so"));
    ASSERT_FALSE(isInProcess("libRidgecore.so"));
  }
  void TearDown() override { ::unsetenv("LOCKMERE_LIB_DIR"); }

  // Only these libraries can be found (links to built files).
  std::string useOnly(const std::vector<std::pair<std::string, std::string>>& links) {
    std::string dir = libraryFolder(links);
    ::setenv("LOCKMERE_LIB_DIR", dir.c_str(), 1);
    return dir;
  }

  static std::string loadFailure(TNimbraMSDK& sdk) {
    try {
      sdk.LoadNimbraSDK();
    } catch (const NimbraError& e) {
      return e.what();
    }
    return "(loaded)";
  }
};

TEST_F(BindingTest, LoadsBothLibrariesAndForwardsToThem) {
  TNimbraMSDK sdk;
  EXPECT_FALSE(sdk.bLoaded());
  EXPECT_EQ(sdk.property("SDKType").toString(), "Lite SDK");
  EXPECT_EQ(sdk.property("Version").toString(), "1.0");
  EXPECT_THROW(sdk.VD_OpenSensor(nullptr, nullptr), NimbraError);  // nothing to call yet

  EXPECT_EQ(sdk.LoadNimbraSDK(), 1);
  EXPECT_TRUE(sdk.property("bLoaded").toBool());
  EXPECT_TRUE(isInProcess("libRidgeport.so"));
  EXPECT_TRUE(isInProcess("libRidgecore.so"));
  for (const char* name : NimbraExports::sensorExportNames()) EXPECT_TRUE(sdk.exports()->has(name)) << name;
  int version = 0;
  EXPECT_EQ(sdk.VD_GetDllVersion(&version), 1);
  EXPECT_EQ(version, 2210);
  char message[256] = "";
  int error = 1;
  EXPECT_EQ(sdk.VD_CloseSensor(message, &error), 1);
  EXPECT_STREQ(message, "Veradynics");
  EXPECT_EQ(error, 0);

  sdk.FreeNimbraSDK();
  EXPECT_FALSE(sdk.bLoaded());
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
  EXPECT_THROW(sdk.VD_GetDllVersion(&version), NimbraError);
}

TEST_F(BindingTest, MissingSensorLibraryIsNamedAndTheAlgorithmLibraryNeverLoaded) {
  useOnly({{"libRidgecore.so", "libRidgecore.so"}});
  TNimbraMSDK sdk;
  EXPECT_EQ(loadFailure(sdk), "Dynamic library libRidgeport.so not found");
  EXPECT_FALSE(sdk.bLoaded());
  EXPECT_FALSE(sdk.isSensorLibraryLoaded());
  EXPECT_FALSE(sdk.isAlgorithmLibraryLoaded());
  EXPECT_NE(sdk.loadErrorString().indexOf("libRidgeport.so"), -1) << sdk.loadErrorString().toStdString();
  EXPECT_FALSE(isInProcess("libRidgecore.so"));
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
}

TEST_F(BindingTest, MissingAlgorithmLibraryIsNamedAndTheSensorLibraryStaysLoaded) {
  const std::string dir = useOnly({{"libRidgeport.so", "libRidgeport.so"}});
  TNimbraMSDK sdk;
  EXPECT_EQ(loadFailure(sdk), "Dynamic library libRidgecore.so not found");
  EXPECT_FALSE(sdk.bLoaded());
  EXPECT_TRUE(sdk.isSensorLibraryLoaded());
  EXPECT_TRUE(isInProcess("libRidgeport.so"));
  EXPECT_EQ(sdk.exports(), nullptr);

  // Once the file is there, the next load completes the binding.
  std::filesystem::create_symlink(testenv::binDir() + "/libRidgecore.so", dir + "/libRidgecore.so");
  EXPECT_EQ(sdk.LoadNimbraSDK(), 1);
  EXPECT_TRUE(sdk.bLoaded());
  sdk.FreeNimbraSDK();
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
}

TEST_F(BindingTest, FreeingAfterAFailedLoadGivesTheSensorLibraryBack) {
  useOnly({{"libRidgeport.so", "libRidgeport.so"}});
  {
    TNimbraMSDK sdk;
    EXPECT_EQ(loadFailure(sdk), "Dynamic library libRidgecore.so not found");
    ASSERT_TRUE(isInProcess("libRidgeport.so"));
    sdk.FreeNimbraSDK();
    EXPECT_FALSE(isInProcess("libRidgeport.so"));
  }
  {
    TNimbraMSDK sdk;  // and so does destruction
    loadFailure(sdk);
    ASSERT_TRUE(isInProcess("libRidgeport.so"));
  }
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
}

TEST_F(BindingTest, SecondLoadResolvesAgainWithoutLoadingAgain) {
  TNimbraMSDK sdk;
  ASSERT_EQ(sdk.LoadNimbraSDK(), 1);
  std::weak_ptr<const NimbraExports> first = sdk.exports();
  EXPECT_EQ(sdk.LoadNimbraSDK(), 1);
  EXPECT_TRUE(first.expired());  // a fresh set of entry points
  int version = 0;
  EXPECT_EQ(sdk.VD_GetDllVersion(&version), 1);
  // One free gives everything back: the second load took no reference of its own.
  sdk.FreeNimbraSDK();
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
}

TEST_F(BindingTest, EveryBindingHoldsItsOwnReference) {
  auto first = std::make_unique<TNimbraMSDK>();
  TNimbraMSDK second;
  ASSERT_EQ(first->LoadNimbraSDK(), 1);
  ASSERT_EQ(second.LoadNimbraSDK(), 1);
  first.reset();
  ASSERT_TRUE(isInProcess("libRidgeport.so"));
  int version = 0;
  EXPECT_EQ(second.VD_GetDllVersion(&version), 1);
  EXPECT_EQ(version, 2210);
  second.FreeNimbraSDK();
  EXPECT_FALSE(isInProcess("libRidgeport.so"));
}

TEST_F(BindingTest, MissingExportFailsWhenCalledNotWhenLoaded) {
  // A library under the algorithm library's name that exports none of its functions.
  useOnly({{"libRidgeport.so", "libRidgeport.so"}, {"libRidgecore.so", "libLmPlatformProbe.so"}});
  TNimbraMSDK sdk;
  ASSERT_EQ(sdk.LoadNimbraSDK(), 1);
  EXPECT_TRUE(sdk.bLoaded());
  for (const char* name : NimbraExports::algorithmExportNames()) EXPECT_FALSE(sdk.exports()->has(name)) << name;

  tagENROLL enroll{};
  unsigned char preview[RIDGECORE_PREVIEW_SIZE];
  char message[256];
  int error = 0, level = 0;
  try {
    sdk.VD_Enroll(0, &enroll, preview, message, &error);
    ADD_FAILURE() << "VD_Enroll called through an empty pointer";
  } catch (const NimbraError& e) {
    EXPECT_STREQ(e.what(), "VD_Enroll is not exported by libRidgecore.so");
  }
  EXPECT_THROW(sdk.VD_GetSecurityLevel(&enroll, &level, message, &error), NimbraError);
  int version = 0;
  EXPECT_EQ(sdk.VD_GetDllVersion(&version), 1);  // the sensor library's exports work

  // The utility refuses to start a thread that would call the missing export.
  TNimbraUtil util;
  util.setNimbraMSDK(&sdk);
  error = 0;
  EXPECT_FALSE(util.VerifyStart(nullptr, 0, 3656, 52, preview, {}, {}, &error));
  EXPECT_EQ(error, -100);
  EXPECT_EQ(util.errorString(), "VD_Compare is not exported by libRidgecore.so");
  error = 0;
  EXPECT_EQ(util.EnrollStart(1, &enroll, preview, {}, {}, &error), 0);
  EXPECT_EQ(error, -100);
  EXPECT_EQ(util.errorString(), "VD_Enroll is not exported by libRidgecore.so");
  EXPECT_EQ(util.messageWindow(), 0u);
  EXPECT_FALSE(util.IsVerifying());
}

TEST_F(BindingTest, UtilityForgetsABindingThatIsDestroyed) {
  auto sdk = std::make_unique<TNimbraMSDK>();
  ASSERT_EQ(sdk->LoadNimbraSDK(), 1);
  TNimbraUtil util;
  util.setProperty("NimbraMSDK", QVariant::fromValue(sdk.get()));
  EXPECT_EQ(util.NimbraMSDK(), sdk.get());
  sdk.reset();
  EXPECT_EQ(util.NimbraMSDK(), nullptr);
  EXPECT_FALSE(util.SetConnectedSensorEvent([] {}));
  EXPECT_EQ(util.errorString(), "No fingerprint library binding is set.");
  int error = 0;
  EXPECT_FALSE(util.VerifyStart(nullptr, 0, 3656, 52, nullptr, {}, {}, &error));
  EXPECT_EQ(error, -100);
}

}  // namespace
}  // namespace bio::test
