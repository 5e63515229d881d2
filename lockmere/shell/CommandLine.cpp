#include "lockmere/shell/CommandLine.h"

namespace shell {

bool hasSwitch(const QStringList& arguments, QStringView name) {
  for (const QString& argument : arguments) {
    if (argument.size() < 2 || (argument[0] != u'/' && argument[0] != u'-')) continue;
    if (QStringView(argument).mid(1).compare(name, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

}  // namespace shell
