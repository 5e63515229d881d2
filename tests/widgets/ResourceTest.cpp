#include <QtEndian>
#include <QtTest>
#include <cstdlib>

#include "lockmere/tools/resource/resource.h"
#include "lockmere/widgets/ResourceLibrary.h"
#include "platform/Library.h"
#include "tests/support/TestEnv.h"

using namespace widgets;

namespace {

QSet<int> sizesOf(const QList<QPixmap>& images) {
  QSet<int> sizes;
  for (const QPixmap& p : images) {
    if (p.width() != p.height()) return {};
    sizes << p.width();
  }
  return sizes;
}

// LOCKMERE_LIB_DIR set for one scope: only that folder is searched.
struct LibraryFolder {
  explicit LibraryFolder(const std::string& dir) { ::setenv("LOCKMERE_LIB_DIR", dir.c_str(), 1); }
  ~LibraryFolder() { ::unsetenv("LOCKMERE_LIB_DIR"); }
};

}  // namespace

class ResourceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testenv::isolateHome(); }

  void everyResourceIsFound() {
    ResourceLibrary res;
    QVERIFY2(res.load(), qPrintable(res.errorString()));

    const std::pair<const char*, QSize> bitmaps[] = {
        {"ICONLOCKMERE", {16, 16}},    {"ICONCLOSE", {16, 16}},     {"AboutLockmere", {360, 220}},
        {"LockmereAD1BMP", {298, 50}}, {"REQLOGINLOGO", {130, 36}}, {"REQLOGINFINGER", {54, 54}},
    };
    for (const auto& [name, size] : bitmaps) {
      const QPixmap p = res.bitmap(name);
      QVERIFY2(!p.isNull(), qPrintable(res.errorString()));
      QCOMPARE(p.size(), size);
    }

    QList<QImage> marks;
    for (const char* name : {"TRAYLOGIN", "TRAYLOGOUT", "MAINICON"}) {
      const auto ico = res.data(name, ResourceLibrary::kIcon);
      QVERIFY2(ico, qPrintable(res.errorString()));
      const QList<QPixmap> images = iconImages(*ico);
      QCOMPARE(sizesOf(images), (QSet<int>{16, 22, 32, 48}));
      QVERIFY(!res.icon(name).isNull());
      marks << images.first().toImage();
    }
    // Logged in, logged out and the program's own mark are three different pictures.
    QVERIFY(marks[0] != marks[1] && marks[1] != marks[2] && marks[0] != marks[2]);

    // The movie is a well-formed uncompressed one: signature and its own length.
    const auto movie = res.data("LockmereAD1", ResourceLibrary::kFlashDataType);
    QVERIFY(movie);
    QVERIFY(movie->startsWith("FWS"));
    QCOMPARE(qFromLittleEndian<quint32>(movie->constData() + 4), quint32(movie->size()));

    QCOMPARE(res.entries().size(), 10);
    // Resource names and types compare without regard to case.
    QVERIFY(res.data("iconclose", "bitmap"));
  }

  void missingResourceIsReported() {
    ResourceLibrary res;
    QVERIFY(res.load());
    QVERIFY(res.bitmap("NOSUCHPICTURE").isNull());
    QVERIFY(res.errorString().contains("NOSUCHPICTURE"));
    QVERIFY(!res.data("ICONCLOSE", ResourceLibrary::kIcon));  // right name, wrong type
    QVERIFY(res.icon("ICONCLOSE").isNull());
    QVERIFY(!res.data("LockmereAD1", ResourceLibrary::kBitmap));
  }

  void missingLibraryIsReported() {
    LibraryFolder empty(testenv::makeTempDir("nolib"));
    ResourceLibrary res;
    QVERIFY(!res.load());
    QVERIFY2(res.errorString().contains("libResource.so"), qPrintable(res.errorString()));
    QVERIFY(res.bitmap("ICONCLOSE").isNull());
    QVERIFY2(res.errorString().contains("not loaded"), qPrintable(res.errorString()));
    QVERIFY(res.entries().isEmpty());
  }

  void aLibraryWithoutTheEntryPointsIsRefused() {
    // The message bus is a shared library of ours that is no resource library.
    ResourceLibrary res("LockmereBus.dll");
    QVERIFY(!res.load());
    QVERIFY2(res.errorString().contains("LMRes_Find"), qPrintable(res.errorString()));
    QVERIFY(!res.isLoaded());
  }

  void exportedFunctionsRefuseBadArguments() {
    platform::Library lib("Resource.dll");
    QVERIFY(lib.load());
    auto find = lib.resolve<decltype(&::LMRes_Find)>("LMRes_Find");
    auto entry = lib.resolve<decltype(&::LMRes_Entry)>("LMRes_Entry");
    auto count = lib.resolve<decltype(&::LMRes_Count)>("LMRes_Count");
    QVERIFY(find && entry && count);
    const unsigned char* data = nullptr;
    unsigned long size = 0;
    QCOMPARE(find(nullptr, "BITMAP", &data, &size), 0);
    QCOMPARE(find("ICONCLOSE", "BITMAP", nullptr, &size), 0);
    QCOMPARE(find("ICONCLOSE", "BITMAP", &data, &size), 1);
    QVERIFY(data && size > 8);
    const char* name = nullptr;
    const char* type = nullptr;
    QCOMPARE(entry(-1, &name, &type), 0);
    QCOMPARE(entry(count(), &name, &type), 0);
    QCOMPARE(entry(0, nullptr, &type), 0);
  }

  void malformedIconFilesGiveNoImages() {
    ResourceLibrary res;
    QVERIFY(res.load());
    const QByteArray ico = *res.data("MAINICON", ResourceLibrary::kIcon);
    QVERIFY(iconImages(ico.left(40)).isEmpty());  // entries point past the end
    QVERIFY(iconImages(ico.left(5)).isEmpty());
    QByteArray lying = ico;
    lying[4] = char(100);  // more entries than the file holds
    QVERIFY(iconImages(lying).isEmpty());
    QByteArray notPng = ico;
    notPng[qFromLittleEndian<quint32>(ico.constData() + 6 + 12)] = 'X';
    QVERIFY(iconImages(notPng).isEmpty());
  }
};

QTEST_MAIN(ResourceTest)
#include "ResourceTest.moc"
