#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "lockmere/bio/NimbraEntryPoints.h"
#include "platform/Library.h"

namespace bio {

// A failure of the fingerprint binding: a library that is not there, an export
// that a call needs and the library lacks, a sensor that cannot be opened.
class NimbraError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One resolved set of the 15 entry points the program uses, with references to
// the two loaded libraries. Whoever holds it (the binding, a running worker
// thread) keeps both libraries loaded, so a library is never unloaded while a
// thread may still call into it. Immutable once built: threads read it without
// locking.
//
// Every call goes through one process-wide lock: neither library is reentrant,
// and the poller, the enroll and verify threads and the main thread (opening the
// sensor for a new thread) call them. An export the library does not have
// throws NimbraError naming it instead of calling through an empty pointer.
class NimbraExports : public NimbraEntryPoints<NimbraExports> {
 public:
  using LibraryRef = std::shared_ptr<platform::Library>;

  // Resolves the names; a name that does not resolve stays empty.
  NimbraExports(LibraryRef sensorLibrary, LibraryRef algorithmLibrary);

  static const std::vector<const char*>& algorithmExportNames();  // the 6 of Ridgecore
  static const std::vector<const char*>& sensorExportNames();     // the 9 of Ridgeport

  bool has(const char* exportName) const;
  // The file an export is looked up in ("libRidgecore.so" for VD_Enroll).
  static std::string libraryOf(const char* exportName);

  // The call behind every entry point (NimbraEntryPoints).
  template <class Fn, class... Args>
  int invoke(Fn NimbraTable::*slot, const char* name, Args... args) const {
    Fn fn = table_.*slot;
    if (!fn) throw NimbraError(std::string(name) + " is not exported by " + libraryOf(name));
    std::lock_guard lock(callLock());
    return fn(args...);
  }

  // Held around every call into either library (also by RecordSearch).
  static std::mutex& callLock();

 private:
  // Declared in this order so that the algorithm library is released first.
  LibraryRef sensor_;
  LibraryRef algorithm_;
  NimbraTable table_;
  std::vector<const char*> resolved_;  // names whose pointer is set
};

}  // namespace bio
