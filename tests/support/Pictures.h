#pragma once

#include <QDir>
#include <QString>

namespace testenv {

// The folder a test saves its window pictures into (its target's
// LOCKMERE_PICTURES_DIR), made when missing.
inline QString picturesDir(const char* dir) {
  QDir().mkpath(QString::fromUtf8(dir));
  return QString::fromUtf8(dir);
}

}  // namespace testenv
