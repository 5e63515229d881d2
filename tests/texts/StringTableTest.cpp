#include <QFontInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QtTest>

#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"

class StringTableTest : public QObject {
  Q_OBJECT

 private slots:
  void everyEntryHasBothTexts() {
    for (int n = texts::kFirstEntry; n <= texts::kLastEntry; ++n) {
      QVERIFY2(!texts::M(n, false).isEmpty(), qPrintable(QString("M%1 Korean").arg(n)));
      QVERIFY2(!texts::M(n, true).isEmpty(), qPrintable(QString("M%1 Japanese").arg(n)));
    }
    QVERIFY(texts::M(0).isEmpty());
    QVERIFY(texts::M(76).isEmpty());
  }

  // The texts that other programs, scripts and stored records see must stay
  // byte for byte as they were written.
  void quotedKoreanTextsAreExact() {
    QCOMPARE(texts::M(1, false), QString::fromUtf8("굴림"));
    QCOMPARE(texts::M(27, false), QString::fromUtf8("아 이 디 : "));
    QCOMPARE(texts::M(32, false),
             QString::fromUtf8("등록되지 않은 사이트입니다.\r\n\r\n등록하시려면 여기를 클릭해 주세요"));
    QCOMPARE(texts::M(50, false), QString::fromUtf8("아이디"));
    QCOMPARE(texts::M(51, false), QString::fromUtf8("비밀번호"));
    QCOMPARE(texts::M(55, false), QString::fromUtf8("과(와) 폴더의 모든 정보를 삭제하시겠습니까?"));
    QCOMPARE(texts::M(66, false), QString::fromUtf8("지문을 등록한 경우 지문인식기에\r\n지문을 입력하여 주십시오."));
    QCOMPARE(texts::M(75, false), QString::fromUtf8("비밀번호가 잘못되었거나 데이터 파일이 손상되었습니다."));
  }

  // Accelerators and line breaks carry over into the translation, so that menus
  // keep their keys and multi-line texts their shape.
  void translationsKeepAcceleratorsAndLineBreaks() {
    static const QRegularExpression accel("\\(&[A-Z]\\)");
    for (int n = texts::kFirstEntry; n <= texts::kLastEntry; ++n) {
      const QString ko = texts::M(n, false), ja = texts::M(n, true);
      const auto koAccel = accel.match(ko), jaAccel = accel.match(ja);
      QCOMPARE(jaAccel.hasMatch(), koAccel.hasMatch());
      if (koAccel.hasMatch()) QCOMPARE(jaAccel.captured(), koAccel.captured());
      QCOMPARE(ja.count("\r\n"), ko.count("\r\n"));
    }
  }

  void languageFollowsTheFirstUiLanguage() {
    QCOMPARE(texts::languageFromUiLanguages({"ja-JP", "en-US"}), texts::Language::Japanese);
    QCOMPARE(texts::languageFromUiLanguages({"ja"}), texts::Language::Japanese);
    QCOMPARE(texts::languageFromUiLanguages({"ko-KR"}), texts::Language::Korean);
    QCOMPARE(texts::languageFromUiLanguages({"en-US", "ja-JP"}), texts::Language::Korean);
    QCOMPARE(texts::languageFromUiLanguages({}), texts::Language::Korean);
  }

  // The design's faces are not installed here; the font asked for must still
  // land on a face that has Hangul or Kana.
  void uiFontResolvesToAnInstalledCjkFace() {
    texts::setLanguage(texts::Language::Korean);
    QFont ko = texts::uiFont();
    QCOMPARE(ko.pointSize(), 9);
    QVERIFY2(texts::substituteFamilies(false).contains(QFontInfo(ko).family()), qPrintable(QFontInfo(ko).family()));
    QCOMPARE(texts::M(2), QString::fromUtf8("로그인"));

    texts::setLanguage(texts::Language::Japanese);
    QFont ja = texts::uiFont();
    QCOMPARE(ja.pointSize(), 8);
    QVERIFY2(texts::substituteFamilies(true).contains(QFontInfo(ja).family()), qPrintable(QFontInfo(ja).family()));
    QCOMPARE(texts::M(2), QString::fromUtf8("ログイン"));
    QCOMPARE(texts::languageId(), 1041);
  }
};

QTEST_MAIN(StringTableTest)
#include "StringTableTest.moc"
