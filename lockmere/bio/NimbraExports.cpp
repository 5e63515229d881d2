#include "lockmere/bio/NimbraExports.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace bio {
namespace {

bool contains(const std::vector<const char*>& names, const char* name) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return std::strcmp(n, name) == 0; });
}

}  // namespace

std::mutex& NimbraExports::callLock() {
  // Never destroyed: a worker may still call in while the program's statics go away.
  static auto* lock = new std::mutex;
  return *lock;
}

const std::vector<const char*>& NimbraExports::algorithmExportNames() {
  static const std::vector<const char*> names{"VD_Enroll",           "VD_Compare",    "VD_SetSecurityLevel",
                                              "VD_GetSecurityLevel", "VD_GetAlgoVer", "VD_GetDPIInfo"};
  return names;
}

const std::vector<const char*>& NimbraExports::sensorExportNames() {
  static const std::vector<const char*> names{"VD_OpenSensor",    "VD_CloseSensor",       "VD_SetSensorGain",
                                              "VD_GetSensorGain", "VD_GetImage",          "VD_DetectFinger",
                                              "VD_GetWholeImage", "VD_DetectWholeFinger", "VD_GetDllVersion"};
  return names;
}

NimbraExports::NimbraExports(LibraryRef sensorLibrary, LibraryRef algorithmLibrary)
    : sensor_(std::move(sensorLibrary)), algorithm_(std::move(algorithmLibrary)) {
  auto resolve = [this](auto& slot, const LibraryRef& library, const char* name) {
    slot = library ? library->resolve<std::remove_reference_t<decltype(slot)>>(name) : nullptr;
    if (slot) resolved_.push_back(name);
  };
  resolve(table_.enroll, algorithm_, "VD_Enroll");
  resolve(table_.compare, algorithm_, "VD_Compare");
  resolve(table_.setSecurityLevel, algorithm_, "VD_SetSecurityLevel");
  resolve(table_.getSecurityLevel, algorithm_, "VD_GetSecurityLevel");
  resolve(table_.getAlgoVer, algorithm_, "VD_GetAlgoVer");
  resolve(table_.getDpiInfo, algorithm_, "VD_GetDPIInfo");
  resolve(table_.openSensor, sensor_, "VD_OpenSensor");
  resolve(table_.closeSensor, sensor_, "VD_CloseSensor");
  resolve(table_.setSensorGain, sensor_, "VD_SetSensorGain");
  resolve(table_.getSensorGain, sensor_, "VD_GetSensorGain");
  resolve(table_.getImage, sensor_, "VD_GetImage");
  resolve(table_.detectFinger, sensor_, "VD_DetectFinger");
  resolve(table_.getWholeImage, sensor_, "VD_GetWholeImage");
  resolve(table_.detectWholeFinger, sensor_, "VD_DetectWholeFinger");
  resolve(table_.getDllVersion, sensor_, "VD_GetDllVersion");
}

bool NimbraExports::has(const char* exportName) const { return contains(resolved_, exportName); }

std::string NimbraExports::libraryOf(const char* exportName) {
  const bool algorithm = contains(algorithmExportNames(), exportName);
  return platform::Library::platformFileName(algorithm ? "Ridgecore.dll" : "Ridgeport.dll");
}

}  // namespace bio
