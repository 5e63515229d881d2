#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

// Overwriting IDs and passwords held in Qt's text types before they are freed.
// A shared value is detached first, so only this holder's copy is wiped: hand
// secrets on by deep copy where the other holder cannot wipe.
namespace widgets {

inline void wipeBytes(void* data, std::size_t size) {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

inline void wipe(QString& text) {
  if (!text.isEmpty()) wipeBytes(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
  text.clear();
}

inline void wipe(QByteArray& bytes) {
  if (!bytes.isEmpty()) wipeBytes(bytes.data(), static_cast<std::size_t>(bytes.size()));
  bytes.clear();
}

}  // namespace widgets
