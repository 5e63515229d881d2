#include "tests/ridgecore/RidgecoreLibrary.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "tests/support/TestEnv.h"

namespace ridgecoretest {

RidgecoreLibrary& RidgecoreLibrary::get() {
  static RidgecoreLibrary library;
  return library;
}

// Every import resolved at once, as a missing one would show.
RidgecoreLibrary::RidgecoreLibrary() {
  const std::string path = testenv::binDir() + "/libRidgecore.so";
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error(std::string("cannot load ") + path + ": " + ::dlerror());
#define RIDGECORE_EXPORT(name) name = reinterpret_cast<decltype(name)>(symbol(#name));
  RIDGECORE_PLAIN_EXPORTS(RIDGECORE_EXPORT)
#undef RIDGECORE_EXPORT
  VD_CompareEnroll1to1UsingFData =
      reinterpret_cast<decltype(VD_CompareEnroll1to1UsingFData)>(symbol(kCompare1to1UsingFDataName));
  VD_CompareEnroll1toNUsingFData =
      reinterpret_cast<decltype(VD_CompareEnroll1toNUsingFData)>(symbol(kCompare1toNUsingFDataName));
}

void* RidgecoreLibrary::symbol(const char* name) const {
  void* s = ::dlsym(handle_, name);
  if (!s) throw std::runtime_error(std::string("libRidgecore.so does not export ") + name);
  return s;
}

}  // namespace ridgecoretest
