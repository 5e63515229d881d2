#include "lockmere/texts/Language.h"

#include <QLocale>
#include <QStringList>
#include <atomic>
#include <optional>

namespace texts {
namespace {

// -1 = not decided yet, else the Language value.
std::atomic<int> g_language{-1};

std::optional<Language> fromEnvironment() {
  const QString forced = qEnvironmentVariable("LOCKMERE_LANG").trimmed().toLower();
  if (forced.startsWith(QLatin1String("ja"))) return Language::Japanese;
  if (forced.startsWith(QLatin1String("ko"))) return Language::Korean;
  return std::nullopt;
}

}  // namespace

Language languageFromUiLanguages(const QStringList& uiLanguages) {
  if (uiLanguages.isEmpty()) return Language::Korean;
  const QString first = uiLanguages.first().toLower();
  return first == QLatin1String("ja") || first.startsWith(QLatin1String("ja-")) ||
                 first.startsWith(QLatin1String("ja_"))
             ? Language::Japanese
             : Language::Korean;
}

Language language() {
  int v = g_language.load();
  if (v < 0) {
    const Language decided = fromEnvironment().value_or(languageFromUiLanguages(QLocale::system().uiLanguages()));
    v = static_cast<int>(decided);
    int expected = -1;
    if (!g_language.compare_exchange_strong(expected, v)) v = expected;
  }
  return static_cast<Language>(v);
}

void setLanguage(Language language) { g_language.store(static_cast<int>(language)); }

bool isJapanese() { return language() == Language::Japanese; }

int languageId() { return isJapanese() ? 1041 : 1042; }

}  // namespace texts
