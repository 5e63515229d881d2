#include "lockmere/widgets/ReqLoginFrame.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "lockmere/texts/StringTable.h"
#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/ResourceLibrary.h"

namespace widgets {
namespace {

// Tops of the controls; only their horizontal places follow the frame's width.
constexpr int kLogoTop = 24;
constexpr int kLabel1Top = 74;
constexpr int kLabel2Top = 92;
constexpr int kImage1Top = 120;
constexpr int kLabel3Top = 184;
constexpr int kButtonTop = 208;
constexpr QSize kButtonSize{96, 26};

QLabel* textLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(texts::uiFont());
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* pictureLabel(QWidget* parent, const char* name, const QPixmap& picture) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setPixmap(picture);
  label->resize(picture.deviceIndependentSize().toSize());
  return label;
}

QPixmap resourceBitmap(const char* name) {
  ResourceLibrary resources;
  return resources.load() ? resources.bitmap(name) : QPixmap();
}

}  // namespace

TReqLoginFrame::TReqLoginFrame(QWidget* parent)
    : QFrame(parent),
      Label1(textLabel(this, "Label1", texts::M(3))),
      Label2(textLabel(this, "Label2", texts::M(4))),
      Label3(textLabel(this, "Label3", texts::M(5))),
      BtnLogin(new QPushButton(texts::M(2), this)),
      ImgLogo(pictureLabel(this, "ImgLogo", resourceBitmap(kLogoResource))),
      Image1(pictureLabel(this, "Image1", resourceBitmap(kImage1Resource))) {
  setObjectName("ReqLoginFrame");
  BtnLogin->setObjectName("BtnLogin");
  BtnLogin->setFont(texts::uiFont());
  BtnLogin->setToolTip(texts::M(64));
  BtnLogin->resize(kButtonSize);
  FrameResize();
}

QSize TReqLoginFrame::sizeHint() const { return {300, kButtonTop + kButtonSize.height() + 24}; }

void TReqLoginFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  FrameResize();
}

void TReqLoginFrame::FrameResize() {
  const int w = width();
  background_ = QPixmap::fromImage(twoWayGradientImage(size(), colorFromTColor(kColor1), colorFromTColor(kColor2)));
  const int lineHeight = Label1->fontMetrics().height() + 2;
  Label1->setGeometry(0, kLabel1Top, w, lineHeight);
  Label2->setGeometry(0, kLabel2Top, w, lineHeight);
  Label3->setGeometry(0, kLabel3Top, w, lineHeight);
  BtnLogin->move((w - BtnLogin->width()) / 2, kButtonTop);
  ImgLogo->move((w - kLogoWidth) / 2, kLogoTop);
  Image1->move(ImgLogo->x() + kImage1Offset, kImage1Top);
  update();
}

void TReqLoginFrame::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
  QFrame::paintEvent(event);
}

}  // namespace widgets
