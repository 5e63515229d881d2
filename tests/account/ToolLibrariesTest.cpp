// The three tool libraries through their entry points, as the program calls
// them, with their windows driven as a user would and the simulated sensor.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QSpinBox>
#include <filesystem>
#include "lockmere/bio/EnrollmentLevel.h"

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "ridgeport/sim/DriverInstallation.h"
#include "tests/account/ToolFixture.h"

namespace account::test {
namespace {

using ui::Text;

QString korean(Text t) { return ui::text(t, false); }
QString korean(Problem p) { return ui::problemText(p, false); }

class OrvaneTest : public ToolTest {
 protected:
  QWidget* open() {
    const auto open = entry<OpenOrvaneFormFn>("Orvane.dll", "OpenOrvaneForm");
    const auto t = token();
    EXPECT_EQ(open(window(), t.data()), 1);
    return toolWindow("OrvaneForm");
  }
};

TEST_F(OrvaneTest, CreatesAUserEnrolledAtTheSensor) {
  createUser("Dave", "dave", {"105"});
  createUser("Erin", "erin");
  plugSensor();
  QWidget* w = open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), korean(Text::NewUserTitle));
  EXPECT_EQ(labelText(w, "LbEnrollStatus"), korean(Text::EnrollReady));
  type(w, "EdtUserID", "Carol");
  type(w, "EdtPassword", "carol's password");
  type(w, "EdtPassword2", "carol's password");
  ASSERT_TRUE(enrollAtPanel(w, "104"));
  ASSERT_TRUE(enrollAtPanel(w, "108"));
  // The advanced choice: the level the templates get.
  auto* level = w->findChild<QComboBox*>("CBLevel");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->currentText(), QString::number(bio::kProgramEnrollmentLevel));
  level->setCurrentIndex(level->findText("4"));
  click(w, "BtnOK");
  ASSERT_TRUE(waitForReport("0x7e9 0"));
  EXPECT_TRUE(windowGone("OrvaneForm"));

  const auto values = accounts().read("Carol");
  ASSERT_TRUE(values) << describe(values.failure());
  const auto records = store::DataFile(values->dataFile).loadTemplateRecords(programKey_);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->count(), 2u);
  EXPECT_EQ(records->enroll(0).security, 4);
  EXPECT_EQ(records->enroll(1).security, 4);
  EXPECT_TRUE(unlockWithPassword(accounts(), "Carol", "carol's password", programKey_));
  // Other impressions of the fingers enrolled at the sensor, from the files.
  EXPECT_EQ(identify("104", 6), "Carol");
  EXPECT_EQ(identify("108", 7), "Carol");
  EXPECT_EQ(identify("105", 7), "Dave");
}

TEST_F(OrvaneTest, RefusesWhatCannotBeAUserAndCancellingLeavesNothing) {
  createUser("Alice", "pw");
  plugSensor();
  QWidget* w = open();
  ASSERT_NE(w, nullptr);
  type(w, "EdtUserID", "ALICE");
  EXPECT_EQ(labelText(w, "LbIdProblem"), korean(Problem::IdExists));
  for (auto [id, problem] : {std::pair{"a\\b", Problem::IdBackslash}, std::pair{" bob", Problem::IdBlankAtEnd},
                             std::pair{"", Problem::IdEmpty}}) {
    type(w, "EdtUserID", id);
    click(w, "BtnOK");
    EXPECT_EQ(labelText(w, "LbMessage"), korean(problem)) << id;
  }
  type(w, "EdtUserID", "Bob");
  type(w, "EdtPassword", "one");
  type(w, "EdtPassword2", "two");
  click(w, "BtnOK");
  EXPECT_EQ(labelText(w, "LbMessage"), korean(Problem::PasswordsDiffer));
  EXPECT_TRUE(labelText(w, "LbStrength").startsWith(korean(Text::StrengthWeak)));

  // Half an enrollment, then the window is closed.
  QObject* panel = w->findChild<QObject*>("EnrollmentPanel");
  layFinger("104", 1);
  click(w, "BtnAddFinger");
  ASSERT_TRUE(waitUntil([&] { return panel->property("impressions").toInt() == 1; }));
  click(w, "BtnCancel");
  ASSERT_TRUE(waitForReport("0x7e9 0"));
  EXPECT_EQ(userIds(), std::vector<std::string>{"Alice"});
  EXPECT_EQ(dataFolderFiles().size(), 1u);
}

TEST_F(OrvaneTest, TellsWhatTheSensorLacksAndWaitsForIt) {
  QWidget* w = open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(labelText(w, "LbEnrollStatus"), korean(Text::DriverMissing));
  EXPECT_FALSE(w->findChild<QAbstractButton*>("BtnAddFinger")->isEnabled());
  w->close();
  ASSERT_TRUE(waitForReport("0x7e9 0"));

  std::string error;
  ASSERT_TRUE(ridgeport::sim::DriverInstallation::install(&error)) << error;
  w = open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(labelText(w, "LbEnrollStatus"), korean(Text::SensorMissing));
  EXPECT_FALSE(w->findChild<QAbstractButton*>("BtnAddFinger")->isEnabled());
  plugSensor();
  ASSERT_TRUE(waitUntil([&] { return labelText(w, "LbEnrollStatus") == korean(Text::EnrollReady); }));
  EXPECT_TRUE(w->findChild<QAbstractButton*>("BtnAddFinger")->isEnabled());

  // Without fingers the user logs in by password only.
  type(w, "EdtUserID", "Pat");
  type(w, "EdtPassword", "pat's password");
  type(w, "EdtPassword2", "pat's password");
  click(w, "BtnOK");
  ASSERT_TRUE(waitForReport("0x7e9 0"));
  EXPECT_TRUE(unlockWithPassword(accounts(), "Pat", "pat's password", programKey_));
}

TEST_F(ToolTest, ForgedTokensAndDamagedBlocksOpenNothing) {
  createUser("Olu", "pw");
  auto forged = token();
  forged[5] ^= 0x10;
  EXPECT_EQ(entry<OpenOrvaneFormFn>("Orvane.dll", "OpenOrvaneForm")(window(), forged.data()), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::TokenInvalid)));
  EXPECT_EQ(entry<OpenBackupFormFn>("Caskle.dll", "OpenBackupForm")(window(), forged.data(), "Olu"), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::TokenInvalid)));
  EXPECT_EQ(entry<OpenRestoreFormFn>("Caskle.dll", "OpenRestoreForm")(window(), forged.data(), nullptr), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::TokenInvalid)));
  EXPECT_EQ(entry<OpenRestoreFormFn>("Caskle.dll", "OpenRestoreForm")(window(), nullptr, nullptr), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::TokenInvalid)));

  const UnlockedAccount olu = unlock("Olu", "pw");
  auto block = *store::tools::makeModificationBlock(olu.dataKey, "Olu", programKey_);
  const auto t = token();
  const auto pw = entry<OpenPWModifyFormFn>("LMModify.dll", "OpenPWModifyForm");
  EXPECT_EQ(pw(window(), forged.data(), block.data(), 0, 0), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::TokenInvalid)));
  block[60] ^= 0x01;  // the data key's block
  EXPECT_EQ(pw(window(), t.data(), block.data(), 0, 0), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::ModificationBlockInvalid)));
  EXPECT_EQ(entry<OpenFPModifyFormFn>("LMModify.dll", "OpenFPModifyForm")(window(), t.data(), block.data(), 0, 0), 0);
  EXPECT_TRUE(takeNotice().contains(korean(Problem::ModificationBlockInvalid)));
  // No window opened, and the program heard back every time.
  for (const char* name : {"OrvaneForm", "BackupForm", "RestoreForm", "PWModifyForm", "FPModifyForm"})
    EXPECT_TRUE(windowGone(name)) << name;
  EXPECT_TRUE(waitUntil([&] { return reports().size() == 7; }));
  for (const auto& r : reports()) EXPECT_EQ(r, "0x7e9 0");
}

class CaskleTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    createUser("Tom", "tom pw", {"104"});
    const UnlockedAccount tom = unlock("Tom", "tom pw");
    store::UserStore user(tom.id, tom.dataFile, tom.dataKey);
    ASSERT_TRUE(user.load());
    user.sites().RegSites().add().Name = "before";
    ASSERT_TRUE(user.save());
  }
  std::vector<std::string> siteNames() {
    const UnlockedAccount tom = unlock("Tom", "tom pw");
    store::UserStore user(tom.id, tom.dataFile, tom.dataKey);
    EXPECT_TRUE(user.load());
    std::vector<std::string> names;
    for (int i = 0; i < user.sites().RegSites().count(); ++i) names.push_back(user.sites().RegSites()[i].Name);
    return names;
  }
  QWidget* openRestore(const char* loggedIn) {
    const auto t = token();
    EXPECT_EQ(entry<OpenRestoreFormFn>("Caskle.dll", "OpenRestoreForm")(window(), t.data(), loggedIn), 1);
    return toolWindow("RestoreForm");
  }
};

TEST_F(CaskleTest, BackupDeleteRestoreThroughTheWindows) {
  const std::string file = home_ + "/tom.lmbackup";
  const std::string csv = home_ + "/tom.csv";
  const auto t = token();
  ASSERT_EQ(entry<OpenBackupFormFn>("Caskle.dll", "OpenBackupForm")(window(), t.data(), "Tom"), 1);
  QWidget* w = toolWindow("BackupForm");
  ASSERT_NE(w, nullptr);
  type(w, "EdtBackupFile", QString::fromStdString(file));
  click(w, "BtnBackup");
  EXPECT_EQ(labelText(w, "LbBackupMessage"), korean(Text::BackupDone).arg(QString::fromStdString(file)));
  EXPECT_EQ(labelText(w, "LbExportWarning"), korean(Text::ExportWarning));
  type(w, "EdtCsvFile", QString::fromStdString(csv));
  type(w, "EdtPassword", "not tom's");
  click(w, "BtnExport");
  EXPECT_EQ(labelText(w, "LbExportMessage"), korean(Problem::WrongPassword));
  EXPECT_FALSE(std::filesystem::exists(csv));
  type(w, "EdtPassword", "tom pw");
  click(w, "BtnExport");
  EXPECT_TRUE(std::filesystem::exists(csv));
  click(w, "BtnClose");
  ASSERT_TRUE(waitForReport("0x7e9 0"));

  auto values = confirmPassword(accounts(), "Tom", "tom pw", programKey_);
  auto reg = accounts();
  ASSERT_FALSE(deleteAccount(reg, *values));

  w = openRestore(nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->findChild<QWidget*>("BtnImport")->isEnabled());  // nobody logged in
  type(w, "EdtBackupFile", QString::fromStdString(csv));
  EXPECT_EQ(labelText(w, "LbBackupInfo"), korean(Problem::BackupForeign));
  type(w, "EdtBackupFile", QString::fromStdString(file));
  const QString info = labelText(w, "LbBackupInfo");
  EXPECT_TRUE(info.startsWith(korean(Text::BackupInfo).section("%1", 0, 0) + "Tom")) << info.toStdString();
  EXPECT_TRUE(w->findChild<QCheckBox*>("CBReplace")->isHidden());
  type(w, "EdtBackupPassword", "tom pw");
  click(w, "BtnRestore");
  EXPECT_EQ(labelText(w, "LbRestoreMessage"), korean(Text::RestoreDone).arg("Tom"));
  EXPECT_EQ(siteNames(), std::vector<std::string>{"before"});
  EXPECT_EQ(identify("104", 6), "Tom");
  click(w, "BtnClose");
  ASSERT_TRUE(waitForReport("0x7e9 0"));
}

TEST_F(CaskleTest, RestoringTheLoggedInUserReplacesItAfterItsPasswordAndReloads) {
  const std::string file = home_ + "/tom.lmbackup";
  {
    const auto contents = collectBackup(accounts(), "Tom");
    ASSERT_FALSE(writeBackupFile(file, *contents));
  }
  const UnlockedAccount tom = unlock("Tom", "tom pw");
  {
    store::UserStore user(tom.id, tom.dataFile, tom.dataKey);
    ASSERT_TRUE(user.load());
    user.sites().RegSites().add().Name = "after the backup";
    ASSERT_TRUE(user.save());
  }
  QWidget* w = openRestore("Tom");
  ASSERT_NE(w, nullptr);
  type(w, "EdtBackupFile", QString::fromStdString(file));
  EXPECT_EQ(labelText(w, "LbReplaceNotice"), korean(Text::ReplaceNotice).arg("Tom"));
  type(w, "EdtBackupPassword", "tom pw");
  click(w, "BtnRestore");
  EXPECT_EQ(labelText(w, "LbRestoreMessage"), korean(Problem::ReplaceNotConfirmed));
  w->findChild<QCheckBox*>("CBReplace")->setChecked(true);
  type(w, "EdtCurrentPassword", "wrong");
  click(w, "BtnRestore");
  EXPECT_EQ(labelText(w, "LbRestoreMessage"), korean(Problem::WrongPassword));
  EXPECT_EQ(siteNames().size(), 2u);
  type(w, "EdtCurrentPassword", "tom pw");
  click(w, "BtnRestore");
  ASSERT_TRUE(waitForReport("0x7e9 101"));  // the program reloads the store
  EXPECT_EQ(takeNotice(), korean(Text::RestoreDone).arg("Tom"));
  EXPECT_EQ(siteNames(), std::vector<std::string>{"before"});
}

TEST_F(CaskleTest, ImportIntoTheLoggedInUser) {
  const std::string data = std::string(LOCKMERE_SOURCE_DIR) + "/tests/account/data/";
  QWidget* w = openRestore("Tom");
  ASSERT_NE(w, nullptr);
  type(w, "EdtCsvFile", QString::fromStdString(data + "malformed.csv"));
  type(w, "EdtImportPassword", "tom pw");
  click(w, "BtnImport");
  EXPECT_TRUE(labelText(w, "LbImportMessage").startsWith(korean(Problem::CsvMalformed).arg(4)));
  EXPECT_EQ(siteNames(), std::vector<std::string>{"before"});

  type(w, "EdtCsvFile", QString::fromStdString(data + "chromium.csv"));
  click(w, "BtnImport");
  ASSERT_TRUE(waitForReport("0x7e9 101"));
  EXPECT_TRUE(takeNotice().startsWith(korean(Text::ImportDone).arg(2).arg("chromium", "Chromium")));
  // Saved in the site tree's order: the new folder's sites before the top level's.
  EXPECT_EQ(siteNames(), (std::vector<std::string>{"example.com", "Bank", "before"}));
}

TEST_F(ToolTest, PasswordGeneratorCopiesAndReportsItsClosing) {
  ASSERT_EQ(entry<OpenPasswordGenFormFn>("Caskle.dll", "OpenPasswordGenForm")(window(), 100, 120), 1);
  QWidget* w = toolWindow("PasswordGenForm");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->pos(), QPoint(100, 120));
  auto* generated = w->findChild<QLineEdit*>("EdtGenerated");
  EXPECT_EQ(generated->text().size(), 16);
  w->findChild<QSpinBox*>("SELength")->setValue(24);
  EXPECT_EQ(generated->text().size(), 24);
  for (const char* box : {"CBUpper", "CBLower", "CBDigits", "CBSymbols"})
    w->findChild<QCheckBox*>(box)->setChecked(false);
  EXPECT_EQ(labelText(w, "LbMessage"), korean(Text::NoClassChosen));
  EXPECT_TRUE(generated->text().isEmpty());
  w->findChild<QCheckBox*>("CBDigits")->setChecked(true);
  const QString password = generated->text();
  EXPECT_EQ(password.size(), 24);
  click(w, "BtnCopy");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), password);
  EXPECT_NE(qApp->findChild<QObject*>("ClipboardGuard"), nullptr);  // clears it in 30 s
  click(w, "BtnClose");
  ASSERT_TRUE(waitForReport("0x7eb 0"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), password);  // the guard outlives the window
  QGuiApplication::clipboard()->clear();
}

class LMModifyTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    createUser("Uma", "uma pw", {"104"});
    createUser("Dave", "dave", {"105"});
    const UnlockedAccount uma = unlock("Uma", "uma pw");
    block_ = *store::tools::makeModificationBlock(uma.dataKey, "Uma", programKey_);
  }
  store::tools::ModificationBlock block_{};
};

TEST_F(LMModifyTest, PasswordChangeRewritesKey1Only) {
  const auto key2 = accounts().read("Uma")->key2;
  const auto t = token();
  ASSERT_EQ(entry<OpenPWModifyFormFn>("LMModify.dll", "OpenPWModifyForm")(window(), t.data(), block_.data(), 200, 150),
            1);
  QWidget* w = toolWindow("PWModifyForm");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->pos(), QPoint(150, 200));  // x, then y
  type(w, "EdtPassword", "uma's new password");
  type(w, "EdtPassword2", "uma's new passwort");
  click(w, "BtnOK");
  EXPECT_EQ(labelText(w, "LbMessage"), korean(Problem::PasswordsDiffer));
  type(w, "EdtPassword2", "uma's new password");
  click(w, "BtnOK");
  ASSERT_TRUE(waitForReport("0x7e9 0"));
  EXPECT_EQ(takeNotice(), korean(Text::PasswordChanged));
  EXPECT_FALSE(unlockWithPassword(accounts(), "Uma", "uma pw", programKey_));
  EXPECT_TRUE(unlockWithPassword(accounts(), "Uma", "uma's new password", programKey_));
  EXPECT_EQ(accounts().read("Uma")->key2, key2);
  EXPECT_EQ(identify("104", 6), "Uma");
}

TEST_F(LMModifyTest, FingerprintChangeEnrollsAnewAndRefusesAnotherUsersFinger) {
  plugSensor();
  const auto t = token();
  ASSERT_EQ(entry<OpenFPModifyFormFn>("LMModify.dll", "OpenFPModifyForm")(window(), t.data(), block_.data(), 0, 0), 1);
  QWidget* w = toolWindow("FPModifyForm");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->findChild<QAbstractButton*>("BtnOK")->isEnabled());
  EXPECT_FALSE(enrollAtPanel(w, "105"));  // Dave's
  EXPECT_EQ(labelText(w, "LbEnrollStatus"), korean(Text::EnrollAlreadyEnrolled));
  ASSERT_TRUE(enrollAtPanel(w, "108"));
  click(w, "BtnOK");
  ASSERT_TRUE(waitForReport("0x7e9 102"));
  EXPECT_EQ(identify("108", 6), "Uma");
  EXPECT_EQ(identify("104", 6), "");
  EXPECT_EQ(identify("105", 7), "Dave");
  // Key2 matches the records now in the file; the password still opens.
  const UnlockedAccount uma = unlock("Uma", "uma pw");
  const auto records = store::DataFile(uma.dataFile).loadTemplateRecords(programKey_);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->count(), 1u);
  const auto values = accounts().read("Uma");
  EXPECT_TRUE(
      store::keys::unwrapByFingerprint(*records, 0, values->key2.data(), values->key2.size(), uma.header, programKey_));
}

}  // namespace
}  // namespace account::test
