#pragma once

#include <optional>
#include <string>
#include <utility>

// Why an account operation did not happen. The tools' windows show each
// problem in the user's language (their own text table); the command-line tool
// prints describe(). detail carries what only the moment knows (a file name,
// the system's error text, the offending CSV line's reason).
namespace account {

enum class Problem {
  None,
  // New user IDs.
  IdEmpty,
  IdTooLong,
  IdNotCodePage,
  IdBlankAtEnd,
  IdControlCharacter,
  IdBackslash,
  IdExists,
  // Passwords.
  PasswordEmpty,
  PasswordNotCodePage,
  PasswordsDiffer,
  WrongPassword,
  // Accounts and their files.
  NoSuchUser,
  AccountIncomplete,
  DataFileMissing,
  DataFileDamaged,
  StoreUnreadable,
  DataFolderUnusable,
  DataFileNotWritten,
  RegistryFailed,
  // What the program hands the tools.
  TokenInvalid,
  TokenWrongMarker,
  ModificationBlockInvalid,
  // Files the user names.
  FileUnreadable,
  FileNotWritten,
  // Backups.
  BackupForeign,
  BackupNewerFormat,
  BackupDamaged,
  BackupOfOtherAccount,
  ReplaceNotConfirmed,
  // CSV exports of other password managers.
  CsvMalformed,
  CsvUnknownFormat,
  // Fingers.
  NoFingers,
  ImageUnreadable,
  ImageWrongSize,
  FingerRefused,
  FingerAlreadyEnrolled,
  FingerprintLibraryMissing,
  SensorUnavailable,
  ImageUnusable,
};
inline constexpr Problem kLastProblem = Problem::ImageUnusable;

struct Failure {
  Problem problem = Problem::None;
  std::string detail;
  int line = 0;  // CsvMalformed: the line of the file

  Failure() = default;
  Failure(Problem p, std::string d = {}, int l = 0) : problem(p), detail(std::move(d)), line(l) {}
  explicit operator bool() const { return problem != Problem::None; }
};

// One English line: the problem's sentence, then the detail.
std::string describe(const Failure& failure);

// A value or the failure that prevented it.
template <class T>
class Outcome {
 public:
  Outcome(T value) : value_(std::move(value)) {}
  Outcome(Failure failure) : failure_(std::move(failure)) {}
  Outcome(Problem problem, std::string detail = {}) : failure_(problem, std::move(detail)) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};

}  // namespace account
