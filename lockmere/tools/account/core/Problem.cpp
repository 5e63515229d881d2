#include "lockmere/tools/account/core/Problem.h"

namespace account {
namespace {

const char* sentence(Problem problem) {
  switch (problem) {
    case Problem::None:
      return "no problem";
    case Problem::IdEmpty:
      return "the ID is empty";
    case Problem::IdTooLong:
      return "the ID is longer than 49 bytes in code page 949";
    case Problem::IdNotCodePage:
      return "the ID has characters that code page 949 cannot hold";
    case Problem::IdBlankAtEnd:
      return "the ID begins or ends with a blank";
    case Problem::IdControlCharacter:
      return "the ID holds a control character";
    case Problem::IdBackslash:
      return "the ID holds a backslash";
    case Problem::IdExists:
      return "a user with this ID exists already (IDs are compared without regard to case)";
    case Problem::PasswordEmpty:
      return "the password is empty";
    case Problem::PasswordNotCodePage:
      return "the password has characters that code page 949 cannot hold";
    case Problem::PasswordsDiffer:
      return "the two passwords differ";
    case Problem::WrongPassword:
      return "the password is not right, or the data file is damaged";
    case Problem::NoSuchUser:
      return "there is no user with this ID";
    case Problem::AccountIncomplete:
      return "the user's registry values are incomplete";
    case Problem::DataFileMissing:
      return "the user's data file is missing";
    case Problem::DataFileDamaged:
      return "the user's data file is damaged";
    case Problem::StoreUnreadable:
      return "the user's stored sites cannot be read";
    case Problem::DataFolderUnusable:
      return "the data folder cannot be used";
    case Problem::DataFileNotWritten:
      return "the data file could not be written";
    case Problem::RegistryFailed:
      return "the registry refused the change";
    case Problem::TokenInvalid:
      return "the tool token does not decrypt: it was not made by Lockmere";
    case Problem::TokenWrongMarker:
      return "the tool token carries the wrong marker";
    case Problem::ModificationBlockInvalid:
      return "the modification block is damaged or not for this user";
    case Problem::FileUnreadable:
      return "the file cannot be read";
    case Problem::FileNotWritten:
      return "the file could not be written";
    case Problem::BackupForeign:
      return "the file is not a Lockmere account backup";
    case Problem::BackupNewerFormat:
      return "the backup was made by a newer version of the account tools";
    case Problem::BackupDamaged:
      return "the backup file is damaged or incomplete";
    case Problem::BackupOfOtherAccount:
      return "the backup holds an earlier account with this ID; log out before restoring it";
    case Problem::ReplaceNotConfirmed:
      return "replacing the existing user was not confirmed";
    case Problem::CsvMalformed:
      return "the CSV file is malformed";
    case Problem::CsvUnknownFormat:
      return "the CSV file is not an export of a known password manager";
    case Problem::NoFingers:
      return "no finger was enrolled";
    case Problem::ImageUnreadable:
      return "the image cannot be read";
    case Problem::ImageWrongSize:
      return "the image is not 300 x 300 pixels";
    case Problem::FingerRefused:
      return "the impressions do not make a template";
    case Problem::FingerAlreadyEnrolled:
      return "this finger is enrolled already";
    case Problem::FingerprintLibraryMissing:
      return "the fingerprint library cannot be used";
    case Problem::SensorUnavailable:
      return "the fingerprint sensor cannot be used";
    case Problem::ImageUnusable:
      return "no fingerprint can be taken from the image";
  }
  return "unknown problem";
}

}  // namespace

std::string describe(const Failure& failure) {
  std::string text = sentence(failure.problem);
  if (failure.line > 0) text = "line " + std::to_string(failure.line) + ": " + text;
  if (!failure.detail.empty()) text += " (" + failure.detail + ")";
  return text;
}

}  // namespace account
