// The names under which libRidgecore.so exports its 27 functions.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "tests/ridgecore/RidgecoreLibrary.h"
#include "tests/support/TestEnv.h"

using ridgecoretest::RidgecoreLibrary;

namespace {

TEST(ExportedNames, TwentyFivePlainNamesAndTwoDecoratedOnes) {
#define RIDGECORE_NAME(name) #name,
  const char* plain[] = {RIDGECORE_PLAIN_EXPORTS(RIDGECORE_NAME)};
#undef RIDGECORE_NAME
  static_assert(sizeof plain / sizeof plain[0] == 25);
  const RidgecoreLibrary& lib = RidgecoreLibrary::get();
  for (const char* name : plain) EXPECT_NO_THROW(lib.symbol(name)) << name;
  EXPECT_NO_THROW(lib.symbol(RidgecoreLibrary::kCompare1to1UsingFDataName));
  EXPECT_NO_THROW(lib.symbol(RidgecoreLibrary::kCompare1toNUsingFDataName));
  EXPECT_THROW(lib.symbol("VD_CompareEnroll1to1UsingFData"), std::runtime_error);
  EXPECT_THROW(lib.symbol("VD_CompareEnroll1toNUsingFData"), std::runtime_error);
}

TEST(ExportedNames, InternalCodeStaysHidden) {
  const RidgecoreLibrary& lib = RidgecoreLibrary::get();
  EXPECT_THROW(lib.symbol("_ZN9ridgecore15extractFeaturesEPKhR8tagFDATAPcPNS_18ExtractionObserverE"),
               std::runtime_error);
}

}  // namespace
