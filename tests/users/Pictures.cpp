#include "tests/users/Pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "lockmere/texts/Language.h"
#include "tests/support/TestEnv.h"

namespace windowtest {

QString savePicture(QWidget& window, const QString& area, const QString& name) {
  const QString dir = QString::fromStdString(testenv::binDir()) + QStringLiteral("/../pictures/") + area;
  QDir().mkpath(dir);
  const QString path =
      dir + QLatin1Char('/') + name + (texts::isJapanese() ? QStringLiteral("-ja.png") : QStringLiteral("-ko.png"));
  window.grab().save(path);
  return path;
}

QStringList clippedTexts(QWidget& window) {
  QStringList clipped;
  auto cut = [&](QWidget* w, const QString& text, QSize needed, QSize has) {
    if (w->isVisibleTo(&window) && (needed.width() > has.width() || needed.height() > has.height()))
      clipped << w->objectName() + QStringLiteral(": ") + text;
  };
  for (QLabel* l : window.findChildren<QLabel*>()) {
    if (l->wordWrap() || l->text().isEmpty()) continue;
    cut(l, l->text(), l->minimumSizeHint(), l->size());
  }
  for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
    if (!b->text().isEmpty()) cut(b, b->text(), b->sizeHint(), b->size());
  for (QGroupBox* g : window.findChildren<QGroupBox*>()) {
    const int titleWidth = g->fontMetrics().horizontalAdvance(g->title()) + 16;
    cut(g, g->title(), QSize(titleWidth, 0), g->size());
  }
  return clipped;
}

}  // namespace windowtest
