#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The main string table: entries M1 to M75, each a Korean and a Japanese text,
// chosen by the language of the user interface (texts/Language.h). Entries M65 to
// M75 are the login window's (L1 to L11 there). Texts keep the line breaks they
// were written with ("\r\n").
namespace texts {

inline constexpr int kFirstEntry = 1;
inline constexpr int kLastEntry = 75;

// Entry n in the current language; an empty string for a number outside 1..75.
QString M(int n);
// Entry n in the given language.
QString M(int n, bool japanese);

// The face the windows ask for (entry M1: "굴림", or "MS PGothic" with Japanese)
// at the design's size (9 points, 8 with Japanese). Those faces are not installed
// on Linux; substitutions map them to installed faces that show Hangul and Kana
// well, so the design's face name stays the one the code asks for.
QFont uiFont();
// The installed families the design's face resolves to, best first.
QStringList substituteFamilies(bool japanese);

}  // namespace texts
