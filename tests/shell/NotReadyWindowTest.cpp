#include <QtTest>

#include "lockmere/shell/NotReadyWindow.h"

class NotReadyWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void saysItIsNotReady() {
    NotReadyWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QString("Lockmere"));
    QVERIFY(w.text().contains("not ready"));
    QVERIFY(!w.grab().isNull());
  }
};

QTEST_MAIN(NotReadyWindowTest)
#include "NotReadyWindowTest.moc"
