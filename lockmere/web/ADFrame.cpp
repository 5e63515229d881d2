#include "lockmere/web/ADFrame.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/SiteAddresses.h"
#include "lockmere/widgets/ResourceLibrary.h"

namespace web {
namespace {

const QString kPicture = QStringLiteral("LockmereAD1BMP");

}  // namespace

TADFrame::TADFrame(QWidget* parent, UrlOpener opener) : QFrame(parent), opener_(std::move(opener)) {
  setObjectName(QStringLiteral("ADFrame"));
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setFont(texts::uiFont());
  Image1->installEventFilter(this);
  Image1->hide();
}

bool TADFrame::hasPicture() const { return !Image1->pixmap().isNull(); }

void TADFrame::MainWindowShown() {
  if (hasPicture()) return;
  widgets::ResourceLibrary library;
  QPixmap picture;
  if (library.load()) picture = library.bitmap(kPicture);
  if (picture.isNull()) {
    Image1->setText(texts::M(34));
    Image1->setCursor(Qt::ArrowCursor);
    Image1->resize(Image1->sizeHint().expandedTo(QSize(0, kStripHeight)));
  } else {
    Image1->setPixmap(picture);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->resize(picture.deviceIndependentSize().toSize());
  }
  Image1->show();
  FrameResize();
}

void TADFrame::FrameResize() { Image1->move((width() - Image1->width()) / 2, 0); }

void TADFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  FrameResize();
}

void TADFrame::Image1Click() {
  if (!hasPicture()) return;
  const QUrl shop(QString::fromLatin1(kShopPageUrl));
  if (opener_)
    opener_(shop);
  else
    QDesktopServices::openUrl(shop);
}

bool TADFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      Image1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
    Image1Click();
  return QFrame::eventFilter(watched, event);
}

}  // namespace web
