// lockmere-library-check [LIBRARY ...]
//
// Installed beside the program by the install test (component install-check),
// it runs the program's library search from there and prints, one line each:
//
//   program PATH           the running program as Qt names it (what the settings
//                          window writes into the autostart entry)
//   installed-folder DIR   the installed library folder compiled into the search
//   search DIR | system    the folders searched, in order
//   library NAME PATH      where NAME was loaded from
//
// The two fingerprint libraries are loaded through the bio binding, as the
// program loads them; each LIBRARY given ("Resource.dll") through
// platform::Library. Exit status 1 when one of them does not load.
#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "lockmere/bio/NimbraSDK.h"
#include "platform/Library.h"

namespace {

// Where a library of this process came from, by the same search that loaded it.
bool report(const std::string& name) {
  platform::Library library(name);
  if (!library.load()) {
    std::fprintf(stderr, "lockmere-library-check: %s\n", library.errorString().c_str());
    return false;
  }
  std::printf("library %s %s\n", name.c_str(), library.filePath().c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("program %s\n", qPrintable(QCoreApplication::applicationFilePath()));
  std::printf("installed-folder %s\n", platform::Library::installedLibraryDir().c_str());
  for (const std::string& folder : platform::Library::searchFolders())
    std::printf("search %s\n", folder.empty() ? "system" : folder.c_str());

  bool ok = true;
  bio::TNimbraMSDK sdk;
  try {
    sdk.LoadNimbraSDK();
    ok = report("Ridgeport.dll") && report("Ridgecore.dll");
  } catch (const bio::NimbraError& e) {
    std::fprintf(stderr, "lockmere-library-check: %s (%s)\n", e.what(), qPrintable(sdk.loadErrorString()));
    ok = false;
  }
  for (int i = 1; i < argc; ++i) ok = report(argv[i]) && ok;
  return ok ? 0 : 1;
}
