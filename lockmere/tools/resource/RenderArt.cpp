// lockmere-render-art ART_DIR OUT_DIR GENERATED_CPP
//
// Build-time tool: renders the SVG sources of art/ into the pictures and icons of
// libResource.so and writes them as a C++ table (GENERATED_CPP). OUT_DIR gets the
// same pictures as files to look at, and the program's icon in the hicolor
// layout for installation.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>
#include <vector>

namespace {

// The mark's three faces. The SVG sources carry the main colours; the others are
// swapped in, and one of the two shackles is hidden.
enum class Variant { Plain, Main, LoggedIn, LoggedOut };

struct Swap {
  const char* from;
  const char* to;
};

const std::vector<Swap>& swapsFor(Variant v) {
  static const std::vector<Swap> none;
  static const std::vector<Swap> loggedIn{{"#3d8fe3", "#3cb67f"}, {"#1a5aa6", "#1c7a4e"}, {"#0f437f", "#125a38"}};
  static const std::vector<Swap> loggedOut{{"#3d8fe3", "#a9b1ba"},
                                           {"#1a5aa6", "#727b85"},
                                           {"#0f437f", "#555d66"},
                                           {"#56636f", "#6f767d"},
                                           {"#c3ccd5", "#d3d7db"}};
  return v == Variant::LoggedIn ? loggedIn : v == Variant::LoggedOut ? loggedOut : none;
}

QString g_artDir;

QByteArray svgSource(const QString& file, Variant variant) {
  QFile f(g_artDir + "/" + file);
  if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(f.fileName()));
  QByteArray svg = f.readAll();
  if (variant != Variant::Plain) {
    // Logged in: the shackle stands open; otherwise it is closed.
    const char* hidden = variant == Variant::LoggedIn ? "<g id=\"shackle-closed\"" : "<g id=\"shackle-open\"";
    svg.replace(hidden, QByteArray(hidden) + " display=\"none\"");
  }
  for (const Swap& s : swapsFor(variant)) svg.replace(s.from, s.to);
  return svg;
}

void renderInto(QImage& image, const QString& file, Variant variant, const QRect& where) {
  QSvgRenderer renderer(svgSource(file, variant));
  if (!renderer.isValid()) qFatal("invalid SVG %s", qPrintable(file));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  renderer.render(&painter, where.isNull() ? QRectF(QPointF(0, 0), image.size()) : QRectF(where));
}

// One SVG drawn over another: a picture with the mark placed on it.
struct Layer {
  Layer(const char* f, Variant v = Variant::Plain, QRect w = {}) : file(f), variant(v), where(w) {}
  QString file;
  Variant variant;
  QRect where;  // null: the whole picture
};

QImage picture(QSize size, const std::vector<Layer>& layers) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  for (const Layer& l : layers) renderInto(image, l.file, l.variant, l.where);
  return image;
}

QImage mark(int size, Variant variant) {
  const QByteArray file = QString("mark-%1.svg").arg(size).toLatin1();
  return picture({size, size}, {Layer(file.constData(), variant)});
}

QByteArray png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) qFatal("cannot encode PNG");
  return bytes;
}

template <typename T>
void put(QByteArray& out, T value) {
  T le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

// An .ico file whose images are PNG streams (one per size), as icon files have
// carried them since Windows Vista.
QByteArray icoFile(const std::vector<QImage>& images) {
  std::vector<QByteArray> streams;
  for (const QImage& i : images) streams.push_back(png(i));
  QByteArray out;
  put<quint16>(out, 0);
  put<quint16>(out, 1);
  put<quint16>(out, static_cast<quint16>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.append(static_cast<char>(images[i].width() >= 256 ? 0 : images[i].width()));
    out.append(static_cast<char>(images[i].height() >= 256 ? 0 : images[i].height()));
    out.append('\0');  // colour count
    out.append('\0');  // reserved
    put<quint16>(out, 1);
    put<quint16>(out, 32);
    put<quint32>(out, static_cast<quint32>(streams[i].size()));
    put<quint32>(out, offset);
    offset += static_cast<quint32>(streams[i].size());
  }
  for (const QByteArray& s : streams) out += s;
  return out;
}

// A one-frame Shockwave movie of the strip's size that only paints its
// background: there is no player on this platform, the bytes only have to be a
// well-formed movie.
QByteArray blankMovie(int width, int height, QRgb background) {
  QByteArray rect;
  quint64 bits = 0;
  int count = 0;
  auto pushBits = [&](quint32 value, int n) {
    for (int i = n - 1; i >= 0; --i) {
      bits = (bits << 1) | ((value >> i) & 1u);
      if (++count == 8) {
        rect.append(static_cast<char>(bits & 0xFF));
        bits = 0;
        count = 0;
      }
    }
  };
  const int nbits = 15;  // enough for 298 and 50 pixels in twips, with the sign bit
  pushBits(nbits, 5);
  for (int twips : {0, width * 20, 0, height * 20}) pushBits(static_cast<quint32>(twips), nbits);
  if (count) pushBits(0, 8 - count);

  QByteArray body = rect;
  put<quint16>(body, 12 << 8);       // 12 frames per second, 8.8 fixed point
  put<quint16>(body, 1);             // one frame
  put<quint16>(body, (9 << 6) | 3);  // SetBackgroundColor
  body.append(static_cast<char>(qRed(background)));
  body.append(static_cast<char>(qGreen(background)));
  body.append(static_cast<char>(qBlue(background)));
  put<quint16>(body, 1 << 6);  // ShowFrame
  put<quint16>(body, 0);       // End

  QByteArray out("FWS");
  out.append(static_cast<char>(6));
  put<quint32>(out, static_cast<quint32>(8 + body.size()));
  return out + body;
}

struct Resource {
  const char* name;
  const char* type;
  QByteArray bytes;
  const char* fileSuffix;
};

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
    qFatal("cannot write %s", qPrintable(path));
}

QByteArray cppTable(const std::vector<Resource>& resources) {
  QByteArray out =
      "// Generated by lockmere-render-art from the SVG sources in art/; do not edit.\n"
      "#include \"lockmere/tools/resource/ResourceTable.h\"\n\nnamespace lmres {\nnamespace {\n";
  for (std::size_t i = 0; i < resources.size(); ++i) {
    out += "const unsigned char kData" + QByteArray::number(qulonglong(i)) + "[] = {";
    const QByteArray& b = resources[i].bytes;
    for (qsizetype k = 0; k < b.size(); ++k) {
      out += (k % 20 == 0 ? "\n  " : " ");
      out += "0x" + QByteArray::number(static_cast<unsigned char>(b[k]), 16).rightJustified(2, '0') + ",";
    }
    out += "\n};\n";
  }
  out += "}  // namespace\n\nconst Record kRecords[] = {\n";
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const QByteArray n = QByteArray::number(qulonglong(i));
    out += QByteArray("    {\"") + resources[i].name + "\", \"" + resources[i].type + "\", kData" + n +
           ", sizeof kData" + n + "},\n";
  }
  out += "};\nconst int kRecordCount = " + QByteArray::number(qulonglong(resources.size())) +
         ";\n\n}  // namespace lmres\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ART_DIR OUT_DIR GENERATED_CPP\n", argv[0]);
    return 2;
  }
  // Text in the pictures needs fonts, hence an application, but never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  g_artDir = QString::fromLocal8Bit(argv[1]);
  const QString outDir = QString::fromLocal8Bit(argv[2]);

  const std::vector<int> iconSizes{16, 22, 32, 48};
  auto icon = [&](Variant v) {
    std::vector<QImage> images;
    for (int s : iconSizes) images.push_back(mark(s, v));
    return icoFile(images);
  };

  const std::vector<Resource> resources{
      {"ICONLOCKMERE", "BITMAP", png(mark(16, Variant::Main)), ".png"},
      {"ICONCLOSE", "BITMAP", png(picture({16, 16}, {{"close.svg"}})), ".png"},
      {"TRAYLOGIN", "ICON", icon(Variant::LoggedIn), ".ico"},
      {"TRAYLOGOUT", "ICON", icon(Variant::LoggedOut), ".ico"},
      {"MAINICON", "ICON", icon(Variant::Main), ".ico"},
      {"AboutLockmere", "BITMAP",
       png(picture({360, 220}, {{"about.svg"}, {"mark-48.svg", Variant::Main, QRect(28, 34, 96, 96)}})), ".png"},
      {"LockmereAD1BMP", "BITMAP",
       png(picture({298, 50}, {{"ad.svg"}, {"mark-32.svg", Variant::Main, QRect(10, 9, 32, 32)}})), ".png"},
      {"LockmereAD1", "FlashDataType", blankMovie(298, 50, qRgb(0xf4, 0xf9, 0xfe)), ".swf"},
      // The login-required frame's logo and finger picture.
      {"REQLOGINLOGO", "BITMAP",
       png(picture({130, 36}, {{"login-logo.svg"}, {"mark-32.svg", Variant::Main, QRect(0, 2, 32, 32)}})), ".png"},
      {"REQLOGINFINGER", "BITMAP", png(picture({54, 54}, {{"fingerprint.svg"}})), ".png"},
  };

  for (const Resource& r : resources) writeFile(outDir + "/" + r.name + r.fileSuffix, r.bytes);
  for (int s : iconSizes)
    writeFile(QString("%1/hicolor/%2x%2/apps/lockmere.png").arg(outDir).arg(s), png(mark(s, Variant::Main)));
  writeFile(QString::fromLocal8Bit(argv[3]), cppTable(resources));
  return 0;
}
