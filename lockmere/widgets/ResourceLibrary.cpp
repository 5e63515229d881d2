#include "lockmere/widgets/ResourceLibrary.h"

#include <QtEndian>

#include "lockmere/tools/resource/resource.h"

namespace widgets {

ResourceLibrary::ResourceLibrary(const char* fileName) : library_(fileName) {}

ResourceLibrary::~ResourceLibrary() = default;

bool ResourceLibrary::fail(const QString& error) {
  error_ = error;
  return false;
}

bool ResourceLibrary::load() {
  if (find_) return true;
  if (!library_.load()) return fail(QString::fromStdString(library_.errorString()));
  auto* find = library_.resolve<decltype(&::LMRes_Find)>("LMRes_Find");
  auto* count = find ? library_.resolve<decltype(&::LMRes_Count)>("LMRes_Count") : nullptr;
  auto* entry = count ? library_.resolve<decltype(&::LMRes_Entry)>("LMRes_Entry") : nullptr;
  if (!entry) {
    const QString why = QString::fromStdString(library_.errorString());
    library_.unload();
    return fail(why);
  }
  find_ = find;
  count_ = count;
  entry_ = entry;
  error_.clear();
  return true;
}

bool ResourceLibrary::isLoaded() const { return find_ != nullptr; }

void ResourceLibrary::unload() {
  find_ = nullptr;
  count_ = nullptr;
  entry_ = nullptr;
  library_.unload();
}

std::optional<QByteArray> ResourceLibrary::data(const QString& name, const QString& type) {
  if (!find_) {
    fail(QString("cannot read resource %1 (%2): %3 is not loaded")
             .arg(name, type, QString::fromStdString(library_.fileName())));
    return std::nullopt;
  }
  const unsigned char* bytes = nullptr;
  unsigned long size = 0;
  if (!find_(name.toUtf8().constData(), type.toUtf8().constData(), &bytes, &size) || !bytes) {
    fail(QString("resource %1 (%2) not found in %3").arg(name, type, QString::fromStdString(library_.filePath())));
    return std::nullopt;
  }
  error_.clear();
  // A copy: the library's bytes go away when it is unloaded.
  return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
}

QPixmap ResourceLibrary::bitmap(const QString& name) {
  const auto bytes = data(name, kBitmap);
  if (!bytes) return {};
  QPixmap pixmap;
  if (!pixmap.loadFromData(*bytes)) fail(QString("resource %1 (%2) is not a picture").arg(name, kBitmap));
  return pixmap;
}

QIcon ResourceLibrary::icon(const QString& name) {
  const auto bytes = data(name, kIcon);
  if (!bytes) return {};
  QIcon icon;
  for (const QPixmap& p : iconImages(*bytes)) icon.addPixmap(p);
  if (icon.isNull()) fail(QString("resource %1 (%2) is not an icon file").arg(name, kIcon));
  return icon;
}

QStringList ResourceLibrary::entries() {
  QStringList out;
  if (!find_) return out;
  for (int i = 0, n = count_(); i < n; ++i) {
    const char* name = nullptr;
    const char* type = nullptr;
    if (entry_(i, &name, &type) && name && type)
      out << QString("%1 (%2)").arg(QString::fromUtf8(name), QString::fromUtf8(type));
  }
  return out;
}

QList<QPixmap> iconImages(const QByteArray& ico) {
  // ICONDIR (6 bytes) and one 16-byte ICONDIRENTRY per image.
  auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
  auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
  if (ico.size() < 6 || u16(0) != 0 || u16(2) != 1) return {};
  const int count = u16(4);
  if (ico.size() < 6 + 16 * qsizetype(count)) return {};
  QList<QPixmap> images;
  for (int i = 0; i < count; ++i) {
    const qsizetype entry = 6 + 16 * qsizetype(i);
    const quint64 size = u32(entry + 8), offset = u32(entry + 12);
    if (offset + size > quint64(ico.size())) return {};
    const QByteArray stream = ico.mid(qsizetype(offset), qsizetype(size));
    QPixmap pixmap;
    if (!stream.startsWith("\x89PNG") || !pixmap.loadFromData(stream, "PNG")) return {};
    images << pixmap;
  }
  return images;
}

}  // namespace widgets
