#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Library.h"
#include "tests/support/TestEnv.h"

using platform::Library;

namespace {

using IntFn = int (*)();

// LOCKMERE_LIB_DIR for one test.
class LibDir {
 public:
  explicit LibDir(const std::string& dir) { ::setenv("LOCKMERE_LIB_DIR", dir.c_str(), 1); }
  ~LibDir() { ::unsetenv("LOCKMERE_LIB_DIR"); }
};

int call(Library& lib, const char* symbol) {
  auto fn = lib.resolve<IntFn>(symbol);
  EXPECT_NE(fn, nullptr) << lib.errorString();
  return fn ? fn() : -1;
}

}  // namespace

TEST(Library, FileNamesFollowThePlatform) {
  EXPECT_EQ(Library::platformFileName("Ridgecore.dll"), "libRidgecore.so");
  EXPECT_EQ(Library::platformFileName("Ridgeport.dll"), "libRidgeport.so");
  EXPECT_EQ(Library::platformFileName("LMIDHook.dll"), "libLMIDHook.so");
  EXPECT_EQ(Library::platformFileName("Resource.DLL"), "libResource.so");
  EXPECT_EQ(Library::platformFileName("update"), "libupdate.so");
  EXPECT_EQ(Library::platformFileName("/opt/tools/Orvane.dll"), "/opt/tools/libOrvane.so");
  EXPECT_EQ(Library::platformFileName("libRidgecore.so"), "libRidgecore.so");
  EXPECT_EQ(Library::platformFileName("libz.so.1"), "libz.so.1");
  EXPECT_EQ(Library("Caskle.dll").fileName(), "libCaskle.so");
}

TEST(Library, SearchesTheExecutablesFolderThenTheInstalledFolderThenTheSystem) {
  ::unsetenv("LOCKMERE_LIB_DIR");
  // Where the installed libraries live (tests/install checks that the install
  // puts them there).
  const std::string installed = Library::installedLibraryDir();
  ASSERT_FALSE(installed.empty());
  EXPECT_EQ(installed.front(), '/');
  auto folders = Library::searchFolders();
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0], testenv::binDir());
  EXPECT_EQ(folders[1], installed);
  EXPECT_EQ(folders[2], "");

  Library probe("LmPlatformProbe.dll");
  ASSERT_TRUE(probe.load()) << probe.errorString();
  EXPECT_EQ(call(probe, "lm_probe_value"), 1);
  EXPECT_EQ(probe.filePath(), testenv::binDir() + "/libLmPlatformProbe.so");

  Library system("libm.so.6");  // from the system's search
  ASSERT_TRUE(system.load()) << system.errorString();
  EXPECT_NE(system.resolve("cos"), nullptr);
}

TEST(Library, TheLibDirIsTheOnlyPlaceWhenSet) {
  {
    LibDir dir(LM_PROBE_ALT_DIR);
    EXPECT_EQ(Library::searchFolders(), std::vector<std::string>{LM_PROBE_ALT_DIR});
    Library probe("LmPlatformProbe.dll");
    ASSERT_TRUE(probe.load()) << probe.errorString();
    EXPECT_EQ(call(probe, "lm_probe_value"), 2);
  }
  // An empty folder makes the library missing, although the executable's folder has it.
  std::string empty = testenv::makeTempDir("libs");
  LibDir dir(empty);
  Library missing("LmPlatformProbe.dll");
  EXPECT_FALSE(missing.load());
  EXPECT_FALSE(missing.isLoaded());
  EXPECT_NE(missing.errorString().find("libLmPlatformProbe.so"), std::string::npos) << missing.errorString();
  EXPECT_NE(missing.errorString().find(empty), std::string::npos) << missing.errorString();
  EXPECT_EQ(missing.resolve("lm_probe_value"), nullptr);
  EXPECT_NE(missing.errorString().find("not loaded"), std::string::npos);
}

TEST(Library, AMissingSymbolIsReportedAndTheLibraryStaysUsable) {
  Library probe("LmPlatformProbe.dll");
  ASSERT_TRUE(probe.load());
  EXPECT_EQ(probe.resolve("VD_NoSuchExport"), nullptr);
  EXPECT_NE(probe.errorString().find("VD_NoSuchExport"), std::string::npos);
  EXPECT_NE(probe.errorString().find("libLmPlatformProbe.so"), std::string::npos);
  EXPECT_EQ(call(probe, "lm_probe_value"), 1);
}

TEST(Library, ALibraryThatCannotLoadSaysWhy) {
  LibDir dir(LM_PROBE_ALT_DIR);
  Library broken("LmPlatformBroken.dll");
  EXPECT_FALSE(broken.load());
  EXPECT_NE(broken.errorString().find("lm_symbol_nobody_defines"), std::string::npos) << broken.errorString();
}

TEST(Library, SeveralOwnersShareOneCopyAndReleaseItInAnyOrder) {
  Library first("LmPlatformProbe.dll");
  ASSERT_TRUE(first.load());
  EXPECT_FALSE(first.wasAlreadyLoaded());
  EXPECT_EQ(call(first, "lm_probe_calls"), 1);

  Library second("LmPlatformProbe.dll");
  ASSERT_TRUE(second.load());
  EXPECT_TRUE(second.wasAlreadyLoaded());
  EXPECT_EQ(call(second, "lm_probe_calls"), 2);  // the same copy: its state is shared

  first.unload();  // the other owner keeps it alive
  EXPECT_EQ(call(second, "lm_probe_calls"), 3);
  EXPECT_TRUE(second.load());  // loading a loaded object again takes nothing more
  second.unload();

  // Every reference was given back: the next load is a fresh copy.
  Library third("LmPlatformProbe.dll");
  ASSERT_TRUE(third.load());
  EXPECT_FALSE(third.wasAlreadyLoaded());
  EXPECT_EQ(call(third, "lm_probe_calls"), 1);
}

TEST(Library, MovingHandsTheReferenceOver) {
  Library a("LmPlatformProbe.dll");
  ASSERT_TRUE(a.load());
  Library b(std::move(a));
  EXPECT_FALSE(a.isLoaded());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  ASSERT_TRUE(b.isLoaded());
  EXPECT_EQ(call(b, "lm_probe_value"), 1);
  a.unload();  // nothing to give back
  Library c;
  c = std::move(b);
  EXPECT_EQ(call(c, "lm_probe_value"), 1);
  EXPECT_FALSE(Library().load());
}
