#include "lockmere/bio/NimbraSDK.h"

#include <cstdio>

namespace bio {
namespace {

constexpr const char* kSensorLibrary = "Ridgeport.dll";
constexpr const char* kAlgorithmLibrary = "Ridgecore.dll";
constexpr const char* kLibraryNotFound = "Dynamic library %s not found";

NimbraExports::LibraryRef obtain(const char* name, QString& error) {
  auto library = std::make_shared<platform::Library>(name);
  if (library->load()) return library;
  error = QString::fromStdString(library->errorString());
  return nullptr;
}

NimbraError notFound(const char* name) {
  const std::string file = platform::Library::platformFileName(name);
  std::string text(std::snprintf(nullptr, 0, kLibraryNotFound, file.c_str()) + 1, '\0');
  text.resize(std::snprintf(text.data(), text.size(), kLibraryNotFound, file.c_str()));
  return NimbraError(text);
}

}  // namespace

TNimbraMSDK::TNimbraMSDK(QObject* owner) : QObject(owner) {}

TNimbraMSDK::~TNimbraMSDK() { FreeNimbraSDK(); }

int TNimbraMSDK::LoadNimbraSDK() {
  loadError_.clear();
  if (!sensorLibrary_) sensorLibrary_ = obtain(kSensorLibrary, loadError_);
  // Tried again on every call while it is missing, so a later call can still succeed.
  if (sensorLibrary_ && !algorithmLibrary_) algorithmLibrary_ = obtain(kAlgorithmLibrary, loadError_);
  bLoaded_ = sensorLibrary_ && algorithmLibrary_;
  if (!bLoaded_) throw notFound(sensorLibrary_ ? kAlgorithmLibrary : kSensorLibrary);
  exports_ = std::make_shared<const NimbraExports>(sensorLibrary_, algorithmLibrary_);
  return 1;
}

void TNimbraMSDK::FreeNimbraSDK() {
  // A library loaded alone (the other one missing) is given back too.
  exports_.reset();
  algorithmLibrary_.reset();
  sensorLibrary_.reset();
  bLoaded_ = false;
}

const NimbraExports& TNimbraMSDK::loaded(const char* exportName) const {
  if (!exports_) throw NimbraError(std::string(exportName) + ": the fingerprint libraries are not loaded");
  return *exports_;
}

}  // namespace bio
