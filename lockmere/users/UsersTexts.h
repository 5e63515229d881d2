#pragma once

#include <QString>

#include "lockmere/texts/StringTable.h"

// Texts the user windows share. The login window's own texts are the main
// string table's L1 to L11 (M65 to M75).
namespace users::text {

inline QString L(int n) { return texts::M(64 + n); }

// A text as a label or message box shows it: the tables keep "\r\n" breaks.
inline QString shown(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// The confirmation and deletion windows: sensor status and password messages.
inline constexpr const char* kNoDriver = "지문인식기가 설치되어 있지 않습니다.";
inline constexpr const char* kNoSensor = "지문인식기 Nimbra를 USB포트에 연결하여 주십시오.";
inline constexpr const char* kVerifying = "지문인식기에 지문을 입력하여 주십시오.";
inline constexpr const char* kEmptyPassword = "비밀번호를 입력하세요";
inline constexpr const char* kWrongPassword = "비밀번호가 올바르지 않습니다.";
inline constexpr const char* kOk = "확인 (&O)";
inline constexpr const char* kCancel = "취소 (&C)";

}  // namespace users::text
