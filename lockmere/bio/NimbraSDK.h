#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "lockmere/bio/NimbraExports.h"

namespace bio {

// The run-time binding of the two fingerprint libraries: loads "Ridgeport.dll"
// (libRidgeport.so) and then "Ridgecore.dll" (libRidgecore.so) by file name,
// reusing a copy already in the process, resolves the 15 exports by name and
// forwards calls to them. Every window that uses the sensor owns one, loads it
// at creation and frees it with itself; each instance holds its own reference
// to the libraries, so instances load and free in any order.
//
//   auto* sdk = new bio::TNimbraMSDK(this);
//   sdk->LoadNimbraSDK();  // throws bio::NimbraError "Dynamic library libRidgecore.so not found"
//
// A worker thread keeps the libraries loaded while it runs (exports()), even
// after FreeNimbraSDK or the binding's destruction. Use on the main thread.
class TNimbraMSDK : public QObject, public NimbraEntryPoints<TNimbraMSDK> {
  Q_OBJECT
  Q_PROPERTY(bool bLoaded READ bLoaded)
  Q_PROPERTY(QString SDKType READ SDKType WRITE setSDKType)
  Q_PROPERTY(QString Version READ Version WRITE setVersion)

 public:
  static constexpr const char* kLiteSdk = "Lite SDK";
  static constexpr const char* kSummitSdk = "Summit SDK";

  explicit TNimbraMSDK(QObject* owner = nullptr);
  ~TNimbraMSDK() override;  // frees the libraries

  // Loads what is not loaded yet and resolves all exports again. Returns 1;
  // throws NimbraError "Dynamic library <file> not found" naming the library
  // that failed (the sensor library stays loaded when only the algorithm
  // library is missing; loadErrorString() has the loader's detail). A name
  // that does not resolve leaves its export empty: calling it throws.
  int LoadNimbraSDK();
  // Gives both libraries back (the algorithm library first).
  void FreeNimbraSDK();

  bool bLoaded() const { return bLoaded_; }
  QString SDKType() const { return sdkType_; }
  void setSDKType(const QString& type) { sdkType_ = type; }
  QString Version() const { return version_; }
  void setVersion(const QString& version) { version_ = version; }

  bool isSensorLibraryLoaded() const { return sensorLibrary_ != nullptr; }
  bool isAlgorithmLibraryLoaded() const { return algorithmLibrary_ != nullptr; }
  QString loadErrorString() const { return loadError_; }

  // The resolved exports, null until loaded. Holding the pointer keeps both
  // libraries loaded.
  std::shared_ptr<const NimbraExports> exports() const { return exports_; }

  // The forwarding methods, one per export under its name (NimbraEntryPoints),
  // throw NimbraError when the libraries are not loaded or the export is missing.
  template <class Fn, class... Args>
  int invoke(Fn NimbraTable::*slot, const char* name, Args... args) const {
    return loaded(name).invoke(slot, name, args...);
  }

 private:
  const NimbraExports& loaded(const char* exportName) const;

  NimbraExports::LibraryRef sensorLibrary_;
  NimbraExports::LibraryRef algorithmLibrary_;
  std::shared_ptr<const NimbraExports> exports_;
  bool bLoaded_ = false;
  QString sdkType_ = kLiteSdk;
  QString version_ = QStringLiteral("1.0");
  QString loadError_;
};

}  // namespace bio
