#pragma once

#include <QString>
#include <QStringList>

// The language of the user interface: Japanese when the platform reports a
// Japanese UI language, Korean otherwise. LOCKMERE_LANG ("ja" or "ko") overrides
// the platform, so that a window can be looked at in either language.
namespace texts {

enum class Language { Korean, Japanese };

Language language();
// Fixes the language for the rest of the process (tests, pictures).
void setLanguage(Language language);
bool isJapanese();

// The numeric language ID the design keeps as state: 1041 Japanese, 1042 Korean.
int languageId();

// Decides from a list of UI languages as QLocale::uiLanguages() gives them
// ("ja-JP", "ko_KR", "en-US", ...): the first entry decides.
Language languageFromUiLanguages(const QStringList& uiLanguages);

}  // namespace texts
