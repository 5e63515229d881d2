// Pictures of the popup and the login-required frame in Korean and Japanese,
// saved under the build folder (pictures/widgets/) to be looked at; each is
// checked first for texts that do not fit or controls that overlap.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "lockmere/widgets/ReqLoginFrame.h"
#include "lockmere/widgets/ResourceLibrary.h"

using namespace widgets;

Q_DECLARE_METATYPE(texts::Language)

namespace {

QString picture(const QString& name) {
  QDir().mkpath(LOCKMERE_PICTURES_DIR);
  return QString(LOCKMERE_PICTURES_DIR) + "/" + name;
}

template <typename T = QWidget>
T* part(QWidget* window, const char* name) {
  return window->findChild<T*>(name);
}

// Shows one popup fully open and checks its layout.
void showAndCheck(TMSNPopUp& popup, const QString& file) {
  auto timers = std::make_shared<ManualTimerSource>();
  popup.setEnvironment({std::make_shared<FixedScreen>(QRect(0, 0, 800, 600), TaskbarEdge::Bottom), timers});
  ResourceLibrary res;
  QVERIFY2(res.load(), qPrintable(res.errorString()));
  popup.IconBitmap = res.bitmap("ICONLOCKMERE");
  popup.CloseIconBitmap = res.bitmap("ICONCLOSE");
  QVERIFY(popup.ShowPopUp());
  timers->advance(1000);
  TfrmMSNPopUp* p = popup.popups().last();
  QCOMPARE(p->size(), QSize(popup.Width, popup.Height));

  auto* title = part<QLabel>(p, "lblTitle");
  auto* icon = part(p, "imgIcon");
  auto* close = part(p, "CloseBtn");
  auto* panel = part(p, "titBorder");
  QCOMPARE(title->text(), popup.Title);  // not shortened
  QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->width());
  QVERIFY(title->geometry().right() < close->x());
  QCOMPARE(icon->y() * 2 + icon->height(), panel->height());
  QCOMPARE(close->y() * 2 + close->height(), panel->height());
  QCOMPARE(panel->width() - close->geometry().right() - 1, 5);
  QVERIFY(title->y() >= 0 && title->geometry().bottom() < panel->height());

  auto* text = part<QLabel>(p, "lblText");
  auto* body = part(p, "imgGradient");
  QVERIFY2(body->geometry().contains(text->geometry()), "the text does not fit the body");
  QCOMPARE(text->width(), body->width() - 15);
  QVERIFY(p->grab().save(picture(file)));
}

}  // namespace

class PicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void popup_data() {
    QTest::addColumn<texts::Language>("language");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("ko") << texts::Language::Korean << "ko";
    QTest::newRow("ja") << texts::Language::Japanese << "ja";
  }
  // The new-site offer: title M31, the two-line text M32.
  void popup() {
    QFETCH(texts::Language, language);
    QFETCH(QString, suffix);
    texts::setLanguage(language);
    TMSNPopUp popup;
    popup.Title = texts::M(31);
    popup.Text = texts::M(32);
    showAndCheck(popup, "popup-" + suffix + ".png");
  }

  // The fingerprint prompt: wider, its own colours, a three-part text.
  void fingerprintPopup() {
    texts::setLanguage(texts::Language::Korean);
    TMSNPopUp popup;
    popup.Width = 240;
    popup.GradientColor1 = colorFromTColor(0xFCE1D3);
    popup.GradientColor2 = colorFromTColor(0xF39C89);
    popup.Title = QString::fromUtf8("Lockmere - 지문로그인");
    popup.Text =
        QString::fromUtf8("『네이버 메일』에\r\n\r\n로그인 하시려면 지문인식기에\r\n\r\n지문을 입력해 주십시오.");
    showAndCheck(popup, "popup-fingerprint-ko.png");
  }

  void loginFrame_data() { popup_data(); }
  void loginFrame() {
    QFETCH(texts::Language, language);
    QFETCH(QString, suffix);
    texts::setLanguage(language);
    TReqLoginFrame frame;
    frame.resize(300, 270);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!frame.ImgLogo->pixmap().isNull());
    QVERIFY(!frame.Image1->pixmap().isNull());
    QCOMPARE(frame.BtnLogin->text(), texts::M(2));
    QCOMPARE(frame.BtnLogin->toolTip(), texts::M(64));
    // Top to bottom without overlaps, every text inside the frame.
    const QList<QWidget*> column{frame.ImgLogo, frame.Label1, frame.Label2, frame.Image1, frame.Label3, frame.BtnLogin};
    for (int i = 0; i + 1 < column.size(); ++i)
      QVERIFY2(column[i]->geometry().bottom() < column[i + 1]->y(), qPrintable(column[i + 1]->objectName()));
    QVERIFY(frame.BtnLogin->geometry().bottom() < frame.height());
    for (QLabel* label : {frame.Label1, frame.Label2, frame.Label3}) {
      QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= frame.width(), qPrintable(label->text()));
      QVERIFY(label->fontMetrics().height() <= label->height());
    }
    QVERIFY(frame.BtnLogin->fontMetrics().horizontalAdvance(frame.BtnLogin->text()) < frame.BtnLogin->width() - 8);
    QVERIFY(frame.grab().save(picture("reqlogin-" + suffix + ".png")));
  }
};

QTEST_MAIN(PicturesTest)
#include "PicturesTest.moc"
