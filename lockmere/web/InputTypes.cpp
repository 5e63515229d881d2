#include "lockmere/web/InputTypes.h"

#include <QString>

namespace web {

std::string ReportedType(std::string_view domType) {
  const std::string upper =
      QString::fromUtf8(domType.data(), static_cast<qsizetype>(domType.size())).toUpper().toStdString();
  for (std::string_view t : kTextLikeTypes)
    if (upper == t) return "TEXT";
  return upper;
}

const std::string& ReportedTypeScript() {
  static const std::string script = [] {
    std::string list;
    for (std::string_view t : kTextLikeTypes) list += (list.empty() ? "'" : ", '") + std::string(t) + "'";
    return "const reportedType = (e) => {\n"
           "  if (!e || typeof e.type !== 'string') return '';\n"
           "  const t = e.type.toUpperCase();\n"
           "  return [" +
           list +
           "].includes(t) ? 'TEXT' : t;\n"
           "};\n";
  }();
  return script;
}

}  // namespace web
