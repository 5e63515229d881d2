#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/Library.h"

// The program's resource library ("Resource.dll", libResource.so here), loaded by
// file name at run time, with its pictures as Qt types. Nothing here throws or
// crashes over a missing library or resource: the answer is empty and
// errorString() says what was missing.
//
//   widgets::ResourceLibrary res;
//   if (!res.load()) { QMessageBox::critical(this, title, texts::M(34)); return; }
//   QPixmap about = res.bitmap("AboutLockmere");
//   QIcon tray = res.icon("TRAYLOGIN");
//   std::optional<QByteArray> movie = res.data("LockmereAD1", widgets::ResourceLibrary::kFlashDataType);
namespace widgets {

class ResourceLibrary {
 public:
  static constexpr const char* kFileName = "Resource.dll";
  static constexpr const char* kBitmap = "BITMAP";
  static constexpr const char* kIcon = "ICON";
  static constexpr const char* kFlashDataType = "FlashDataType";

  explicit ResourceLibrary(const char* fileName = kFileName);
  ~ResourceLibrary();
  ResourceLibrary(const ResourceLibrary&) = delete;
  ResourceLibrary& operator=(const ResourceLibrary&) = delete;

  // Loads the library next to the program (platform::Library's search); false
  // with errorString() when it is missing or is not a resource library.
  bool load();
  bool isLoaded() const;
  void unload();

  // The bytes of a resource; nullopt (and errorString()) when the library is not
  // loaded or holds no resource of that name and type.
  std::optional<QByteArray> data(const QString& name, const QString& type);
  // A picture of type BITMAP; a null pixmap when missing or unreadable.
  QPixmap bitmap(const QString& name);
  // An icon of type ICON with every size it holds; a null icon when missing.
  QIcon icon(const QString& name);
  // "NAME (TYPE)" of every resource the library holds.
  QStringList entries();

  QString errorString() const { return error_; }

 private:
  bool fail(const QString& error);

  using FindFn = int (*)(const char*, const char*, const unsigned char**, unsigned long*);
  using CountFn = int (*)();
  using EntryFn = int (*)(int, const char**, const char**);

  platform::Library library_;
  FindFn find_ = nullptr;
  CountFn count_ = nullptr;
  EntryFn entry_ = nullptr;
  QString error_;
};

// The images of an .ico file, one pixmap per size (PNG-coded images only, which
// is what the resource library stores); empty when the file is malformed.
QList<QPixmap> iconImages(const QByteArray& icoFile);

}  // namespace widgets
