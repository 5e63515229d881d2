#pragma once

#include <QFont>
#include <QString>

#include "lockmere/tools/account/core/Problem.h"

// The account tools' own texts, Korean and Japanese (the language of
// texts::language()), apart from the program's main string table: the tools
// are libraries of their own.
namespace account::ui {

enum class Text {
  // Window titles.
  NewUserTitle,
  BackupTitle,
  RestoreTitle,
  PasswordGenTitle,
  PasswordChangeTitle,
  FingerprintChangeTitle,
  // Buttons.
  Register,
  Change,
  Cancel,
  Close,
  Browse,
  // Credentials.
  IdLabel,
  PasswordLabel,
  PasswordAgainLabel,
  NewPasswordLabel,
  NewPasswordAgainLabel,
  StrengthWeak,
  StrengthFair,
  StrengthStrong,
  StrengthAdvice,
  NewUserIntro,
  // Fingerprint enrollment.
  FingersGroup,
  AddFinger,
  RemoveFinger,
  StopEnrolling,
  FingerItem,
  NoFingerNote,
  AdvancedGroup,
  LevelLabel,
  LevelNote,
  EnrollReady,
  EnrollLay,
  EnrollLiftAndLay,
  EnrollOtherFinger,
  EnrollNotMoved,
  EnrollDone,
  EnrollAlreadyEnrolled,
  SensorMissing,
  DriverMissing,
  SensorGone,
  SensorNotOpened,
  EnrollStopped,
  FingerprintChangeIntro,
  PasswordChangeIntro,
  PasswordChanged,
  // Backup and export.
  BackupGroup,
  BackupIntro,
  FileLabel,
  BackupButton,
  BackupDone,
  ExportGroup,
  ExportWarning,
  ExportButton,
  ExportDone,
  ChooseFile,
  // Restore and import.
  RestoreGroup,
  BackupFileLabel,
  BackupInfo,
  BackupPasswordLabel,
  ReplaceNotice,
  ReplaceConfirm,
  CurrentPasswordLabel,
  RestoreButton,
  RestoreDone,
  ImportGroup,
  ImportIntro,
  ImportNeedsLogin,
  ImportButton,
  ImportDone,
  ImportLeftOut,
  // Password generator.
  LengthLabel,
  UpperClass,
  LowerClass,
  DigitClass,
  SymbolClass,
  AvoidLookAlikes,
  Generate,
  Copy,
  Copied,
  NoClassChosen,
  // Refusals.
  ToolRefused,
  kCount
};

QString text(Text id);
QString text(Text id, bool japanese);

// The problem in the user's language (with the line of a CSV fault, and the
// system's reason where only it can say what went wrong).
QString problemText(const Failure& failure);
QString problemText(Problem problem, bool japanese);

}  // namespace account::ui
