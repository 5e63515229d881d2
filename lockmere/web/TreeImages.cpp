#include "lockmere/web/TreeImages.h"

#include "lockmere/web/SiteTree.h"

#include <QPainter>
#include <QPolygonF>

namespace web {
namespace {

constexpr int S = kTreeImageSize;

QPixmap blank() {
  QPixmap pm(S, S);
  pm.fill(Qt::transparent);
  return pm;
}

void begin(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
}

const QColor kFolderBack(0xD9, 0xA4, 0x1E);
const QColor kFolderFront(0xF6, 0xCB, 0x4F);
const QColor kFolderEdge(0x9A, 0x70, 0x0E);

// The folder's back with its tab, right edge at right, top at top.
void folderBack(QPainter& p, qreal top, qreal right) {
  p.setPen(QPen(kFolderEdge, 1));
  p.setBrush(kFolderBack);
  p.drawPolygon(QPolygonF({{2.5, top}, {7.5, top}, {9.5, top + 2}, {right, top + 2}, {right, 16.5}, {2.5, 16.5}}));
}

QPixmap closedFolder() {
  QPixmap pm = blank();
  QPainter p(&pm);
  begin(p);
  folderBack(p, 5.5, 17.5);
  p.setBrush(kFolderFront);
  p.drawRoundedRect(QRectF(2.5, 8.5, 15, 8), 1, 1);
  return pm;
}

QPixmap openFolder() {
  QPixmap pm = blank();
  QPainter p(&pm);
  begin(p);
  folderBack(p, 4.5, 16.5);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 7.5, 10, 6));
  // The front flap, tilted open.
  p.setBrush(kFolderFront);
  p.drawPolygon(QPolygonF({{5.5, 10.5}, {19.5, 10.5}, {16.5, 16.5}, {2.5, 16.5}}));
  return pm;
}

// Every site image: a globe, and a badge in its lower right corner that tells
// the login type.
void globe(QPainter& p) {
  p.setPen(QPen(QColor(0x1F, 0x5F, 0xA8), 1));
  p.setBrush(QColor(0x7F, 0xB9, 0xEE));
  const QRectF r(1.5, 1.5, 14, 14);
  p.drawEllipse(r);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x1F, 0x5F, 0xA8, 170), 0.8));
  p.drawEllipse(QRectF(5.5, 1.5, 6, 14));
  p.drawLine(QPointF(1.5, 8.5), QPointF(15.5, 8.5));
}

void badge(QPainter& p, const QColor& colour) {
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(colour);
  p.drawEllipse(QRectF(9.5, 9.5, 10, 10));
}

void site(QPainter& p, int loginType) {
  globe(p);
  const QPen glyph(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  switch (loginType) {
    case 1: {  // automatic: a play mark
      badge(p, QColor(0x2E, 0x9E, 0x3E));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      const QPointF tri[] = {{13.0, 11.8}, {17.6, 14.5}, {13.0, 17.2}};
      p.drawPolygon(tri, 3);
      break;
    }
    case 2: {  // manual: a key
      badge(p, QColor(0xE0, 0x7B, 0x12));
      p.setPen(glyph);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(11.6, 12.0, 3.2, 3.2));
      p.drawLine(QPointF(14.6, 14.8), QPointF(17.4, 17.4));
      p.drawLine(QPointF(16.4, 16.4), QPointF(17.4, 15.4));
      break;
    }
    case 3: {  // after confirmation: a check mark
      badge(p, QColor(0x6A, 0x4C, 0xC4));
      p.setPen(glyph);
      p.setBrush(Qt::NoBrush);
      const QPointF check[] = {{12.3, 14.8}, {14.0, 16.6}, {17.2, 12.6}};
      p.drawPolyline(check, 3);
      break;
    }
    case 4: {  // with fingerprint: ridges
      badge(p, QColor(0xC2, 0x2B, 0x3A));
      p.setPen(QPen(Qt::white, 0.9, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      for (double r : {1.2, 2.5, 3.7}) p.drawArc(QRectF(14.5 - r, 15.0 - r, 2 * r, 2 * r), 20 * 16, 300 * 16);
      break;
    }
    case 5: {  // by script: lines of a script
      badge(p, QColor(0x33, 0x33, 0x3B));
      p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(12.2, 12.4), QPointF(17.0, 12.4));
      p.drawLine(QPointF(12.2, 14.6), QPointF(15.6, 14.6));
      p.drawLine(QPointF(12.2, 16.8), QPointF(16.6, 16.8));
      break;
    }
    default:
      break;
  }
}

QPixmap sitePixmap(int loginType) {
  QPixmap pm = blank();
  QPainter p(&pm);
  begin(p);
  site(p, loginType);
  return pm;
}

}  // namespace

QPixmap treeImage(int index) {
  switch (index) {
    case kOpenFolderImage:
      return openFolder();
    case kFolderImage:
      return closedFolder();
    default:
      return index > kFolderImage && index < kTreeImageCount ? sitePixmap(index - 1) : QPixmap();
  }
}

QIcon nodeIcon(int image, int selectedImage) {
  QIcon icon;
  const QPixmap normal = treeImage(image);
  if (normal.isNull()) return icon;
  icon.addPixmap(normal, QIcon::Normal);
  const QPixmap selected = treeImage(selectedImage);
  if (!selected.isNull()) icon.addPixmap(selected, QIcon::Selected);
  return icon;
}

QPixmap goButtonImage() {
  QPixmap pm = blank();
  QPainter p(&pm);
  begin(p);
  p.setBrush(QColor(0x2E, 0x9E, 0x3E));
  p.drawEllipse(QRectF(1, 1, 18, 18));
  p.setBrush(Qt::white);
  const QPointF arrow[] = {{5, 8.5}, {10, 8.5}, {10, 5}, {15.5, 10}, {10, 15}, {10, 11.5}, {5, 11.5}};
  p.drawPolygon(arrow, 7);
  return pm;
}

}  // namespace web
