#pragma once

#include "ridgecore.h"

// libRidgecore.so opened by file name, as the program opens it, with every
// export resolved by its exported name.

// The 25 exports with plain names.
#define RIDGECORE_PLAIN_EXPORTS(X)       \
  X(VD_Enroll)                           \
  X(VD_Compare)                          \
  X(VD_ExtractFData)                     \
  X(VD_CompareFData1to1)                 \
  X(VD_MakeEnroll)                       \
  X(VD_MakeEnrollUsingFData)             \
  X(VD_CompareEnroll1to1)                \
  X(VD_CompareEnroll1toN)                \
  X(VD_SetSecurityLevel)                 \
  X(VD_GetSecurityLevel)                 \
  X(VD_GetAlgoVer)                       \
  X(VD_GetDPIInfo)                       \
  X(VD_FData2FastFData)                  \
  X(VD_Fast_ExtractFData)                \
  X(VD_Fast_CompareFData1to1)            \
  X(VD_Fast_MakeEnroll)                  \
  X(VD_Fast_MakeEnrollUsingFData)        \
  X(VD_FAST_CompareEnroll1to1)           \
  X(VD_FAST_CompareEnroll1toN)           \
  X(VD_FAST_CompareEnroll1to1UsingFData) \
  X(VD_FAST_CompareEnroll1toNUsingFData) \
  X(VD_FAST_SetSecurityLevel)            \
  X(VD_FAST_GetSecurityLevel)            \
  X(VD_FAST_GetAlgoVer)                  \
  X(VD_FAST_GetDPIInfo)

namespace ridgecoretest {

class RidgecoreLibrary {
 public:
  static RidgecoreLibrary& get();

  void* symbol(const char* name) const;

#define RIDGECORE_EXPORT(name) decltype(&::name) name = nullptr;
  RIDGECORE_PLAIN_EXPORTS(RIDGECORE_EXPORT)
  RIDGECORE_EXPORT(VD_CompareEnroll1to1UsingFData)
  RIDGECORE_EXPORT(VD_CompareEnroll1toNUsingFData)
#undef RIDGECORE_EXPORT

  // The exported (decorated) names of the two C++-linkage exports.
  static constexpr char kCompare1to1UsingFDataName[] = "_Z30VD_CompareEnroll1to1UsingFDataP8tagFDATAP9tagENROLLPiPcS3_";
  static constexpr char kCompare1toNUsingFDataName[] = "_Z30VD_CompareEnroll1toNUsingFDataP8tagFDATAPhiiiPiS2_PcS2_";

 private:
  RidgecoreLibrary();
  void* handle_ = nullptr;
};

inline RidgecoreLibrary& lib() { return RidgecoreLibrary::get(); }

}  // namespace ridgecoretest
