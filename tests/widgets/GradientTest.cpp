#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <climits>
#include <cmath>

#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "lockmere/widgets/ReqLoginFrame.h"

using namespace widgets;

namespace {

// The colour steps written out independently: c1 + (n - 1) * (c2 - c1) / (d - 1)
// per channel, rounded half away from zero.
QColor step(const QColor& c1, const QColor& c2, int n, int d) {
  auto channel = [&](int a, int b) { return a + static_cast<int>(std::round(double(n - 1) * (b - a) / (d - 1))); };
  return QColor(channel(c1.red(), c2.red()), channel(c1.green(), c2.green()), channel(c1.blue(), c2.blue()));
}

// The fingerprint prompt's colours, 0x00BBGGRR: every channel falls.
const QColor kFrom = colorFromTColor(0xFCE1D3);
const QColor kTo = colorFromTColor(0xF39C89);

QImage popupBackground(TMSNPopUp& popup) {
  popup.setEnvironment({std::make_shared<FixedScreen>(QRect(0, 0, 800, 600), TaskbarEdge::Bottom),
                        std::make_shared<ManualTimerSource>()});
  if (!popup.ShowPopUp()) return {};
  auto* gradient = popup.popups().last()->findChild<QLabel*>("imgGradient");
  return gradient->pixmap().toImage();
}

}  // namespace

class GradientTest : public QObject {
  Q_OBJECT

 private slots:
  void mulDivRoundsHalfAwayFromZero() {
    QCOMPARE(MulDiv(1, 1, 2), 1);
    QCOMPARE(MulDiv(-1, 1, 2), -1);
    QCOMPARE(MulDiv(47, -69, 94), -35);  // -34.5
    QCOMPARE(MulDiv(47, 69, -94), -35);
    QCOMPARE(MulDiv(10, 10, 3), 33);
    QCOMPARE(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);  // the product needs 64 bits
    QCOMPARE(MulDiv(5, 5, 0), -1);
    QCOMPARE(MulDiv(INT_MAX, 2, 1), -1);
    QCOMPARE(colorFromTColor(16764057), QColor(0x99, 0xCC, 0xFF));
    QCOMPARE(gradientStep(kFrom, kTo, 1, 1), kFrom);
  }

  // Rows of the popup's body against the formula: 94 rows, so step 48 of 95 puts
  // the green channel exactly half-way (-34.5), which only rounding away from
  // zero gets right.
  void popupGradientRowsFollowTheColourSteps() {
    TMSNPopUp popup;
    popup.Height = 122;
    popup.GradientColor1 = kFrom;
    popup.GradientColor2 = kTo;
    const QImage body = popupBackground(popup);
    QCOMPARE(body.height(), 122 - 2 * TfrmMSNPopUp::kBorder - TfrmMSNPopUp::kTitleHeight - 2);
    const int h = body.height();
    for (int row : {0, h / 2, h - 1}) QCOMPARE(body.pixelColor(10, row), step(kFrom, kTo, row + 1, h + 1));
    QCOMPARE(body.pixelColor(10, 0), kFrom);
    QCOMPARE(body.pixelColor(10, h / 2).green(), 0xE1 - 35);
    for (int row = 0; row < h; ++row)
      QCOMPARE(body.pixelColor(body.width() - 1, row), step(kFrom, kTo, row + 1, h + 1));
  }

  void horizontalGradientRunsAcrossTheColumns() {
    TMSNPopUp popup;
    popup.Width = 200;
    popup.GradientOrientation = mbHorizontal;
    const QImage body = popupBackground(popup);
    const int w = body.width();
    for (int column : {0, w / 2, w - 1})
      QCOMPARE(body.pixelColor(column, 5), step(QColor(0x99, 0xCC, 0xFF), Qt::white, column + 1, w + 1));
  }

  void backgroundImageReplacesTheGradient() {
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::magenta);  // the bottom-left colour: left out at actual size
    for (int y = 2; y < 6; ++y)
      for (int x = 2; x < 6; ++x) picture.setPixelColor(x, y, Qt::blue);

    TMSNPopUp popup;
    popup.BackgroundImage = QPixmap::fromImage(picture);
    popup.BackgroundDrawMethod = dmActualSize;
    QImage body = popupBackground(popup);
    const QColor face = popup.popups().last()->palette().color(QPalette::Window);
    QCOMPARE(body.pixelColor(3, 3), QColor(Qt::blue));
    QCOMPARE(body.pixelColor(0, 0), face);
    QCOMPARE(body.pixelColor(40, 40), face);

    popup.BackgroundDrawMethod = dmTile;
    body = popupBackground(popup);
    QCOMPARE(body.pixelColor(13, 23), QColor(Qt::blue));
    QCOMPARE(body.pixelColor(10, 10), QColor(Qt::magenta));

    popup.BackgroundDrawMethod = dmFit;
    body = popupBackground(popup);
    QCOMPARE(body.pixelColor(body.width() * 4 / 10, body.height() * 4 / 10), QColor(Qt::blue));
    QCOMPARE(body.pixelColor(body.width() - 1, body.height() - 1), QColor(Qt::magenta));
  }

  // Down from the first colour to the second at half the height, and back.
  void loginFrameGradientRunsBothWays() {
    TReqLoginFrame frame;
    frame.resize(300, 251);
    const QImage image = frame.grab().toImage();
    const QColor c1(0xAF, 0xD5, 0xBB), c2(0xE7, 0xF8, 0xEC);
    const int h = 125;
    QCOMPARE(image.pixelColor(1, 0), c1);
    QCOMPARE(image.pixelColor(1, 62), step(c1, c2, 63, h + 1));
    QCOMPARE(image.pixelColor(1, h), c2);
    QCOMPARE(image.pixelColor(1, 190), step(c2, c1, 190 - h + 1, h + 1));
    QCOMPARE(image.pixelColor(1, 250), c1);
  }

  void loginFrameFollowsItsWidth() {
    TReqLoginFrame frame;
    frame.show();
    for (int width : {400, 320}) {
      frame.resize(width, 260);
      for (QLabel* label : {frame.Label1, frame.Label2, frame.Label3}) {
        QCOMPARE(label->x(), 0);
        QCOMPARE(label->width(), width);
      }
      QCOMPARE(frame.BtnLogin->x(), (width - frame.BtnLogin->width()) / 2);
      QCOMPARE(frame.ImgLogo->x(), (width - 130) / 2);
      QCOMPARE(frame.Image1->x(), frame.ImgLogo->x() + 38);
    }
  }
};

QTEST_MAIN(GradientTest)
#include "GradientTest.moc"
