// account-pictures LANG FOLDER: opens every window of the account tools, in
// the states worth looking at, and saves each as FOLDER/LANG/NAME.png.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/tools/account/AccountTools.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "platform/bus/MessageBus.h"
#include "ridgeport/sim/DriverInstallation.h"
#include "ridgeport/sim/SensorSimulator.h"
#include "tests/support/TestEnv.h"

namespace {

QString g_folder;
int g_failures = 0;

void pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool waitFor(const std::function<bool()>& condition, int ms = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    pump(10);
  }
  return true;
}

QWidget* topLevel(const char* name) {
  QWidget* found = nullptr;
  waitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == name && w->isVisible()) found = w;
    return found != nullptr;
  });
  return found;
}

void save(QWidget* w, const QString& name) {
  if (!w) {
    std::cerr << "no window for " << name.toStdString() << "\n";
    ++g_failures;
    return;
  }
  pump(100);
  const QString path = g_folder + "/" + name + ".png";
  if (!w->grab().save(path)) {
    std::cerr << "cannot save " << path.toStdString() << "\n";
    ++g_failures;
  }
}

void set(QWidget* w, const char* edit, const QString& text) {
  if (auto* e = w ? w->findChild<QLineEdit*>(edit) : nullptr) e->setText(text);
}

void press(QWidget* w, const char* button) {
  if (auto* b = w ? w->findChild<QAbstractButton*>(button) : nullptr) b->click();
}

void closeAll() {
  for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  pump(100);
}

template <class Fn>
Fn entry(const char* library, const char* name) {
  static std::vector<std::unique_ptr<platform::Library>> keep;
  auto& lib = keep.emplace_back(std::make_unique<platform::Library>(library));
  if (!lib->load()) {
    std::cerr << lib->errorString() << "\n";
    std::exit(1);
  }
  return lib->resolve<Fn>(name);
}

std::string image(const char* finger, int impression) {
  return testenv::fingerprintsDir() + "/fvc2002_db1_b/" + finger + "_" + std::to_string(impression) + ".pgm";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: account-pictures ko|ja FOLDER\n";
    return 2;
  }
  ::setenv("LOCKMERE_LANG", argv[1], 1);
  testenv::isolateHome();
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  g_folder = QString::fromLocal8Bit(argv[2]) + "/" + QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_folder);

  // Two users; a sensor with its driver; a finger on it.
  const auto programKey = store::fixed::programKey();
  platform::Registry registry(platform::Registry::CurrentUser);
  account::AccountRegistry accounts(registry);
  account::AccountCreation creation(accounts, programKey);
  const account::ImageEnroller enroller;
  const auto finger = enroller.enrollFiles({image("105", 1), image("105", 2), image("105", 3)}, false, 5);
  if (!finger || !creation.create({"한결", "hangyeol pw", {*finger}}) || !creation.create({"Mika", "mika pw", {}})) {
    std::cerr << "cannot create the users\n";
    return 1;
  }
  ridgeport::sim::DriverInstallation::install();
  ridgeport::sim::SensorSimulator sim;
  ridgeport::sim::DeviceConfig device;
  device.invertFinger = true;
  sim.plug(device);
  sim.setFinger(0, ridgeport::sim::GreyImage::loadPgm(image("104", 1)));
  const platform::WindowHandle window = platform::MessageBus::allocateHandle();
  const auto token = store::tools::makeToolToken(programKey);

  // New user: typed in, a finger half enrolled.
  entry<account::OpenOrvaneFormFn>("Orvane.dll", "OpenOrvaneForm")(window, token.data());
  QWidget* w = topLevel("OrvaneForm");
  save(w, "orvane");
  set(w, "EdtUserID", "mika");
  set(w, "EdtPassword", "weak");
  save(w, "orvane-refusals");
  set(w, "EdtUserID", "새사용자");
  set(w, "EdtPassword", "Correct-Horse-9");
  set(w, "EdtPassword2", "Correct-Horse-9");
  press(w, "BtnAddFinger");
  QObject* panel = w ? w->findChild<QObject*>("EnrollmentPanel") : nullptr;
  waitFor([&] { return panel && panel->property("impressions").toInt() >= 1; });
  pump(300);
  save(w, "orvane-enrolling");
  closeAll();

  // Backup and export, after a backup.
  const std::string backup = testenv::home() + "/hangyeol.lmbackup";
  entry<account::OpenBackupFormFn>("Caskle.dll", "OpenBackupForm")(window, token.data(), "한결");
  w = topLevel("BackupForm");
  set(w, "EdtBackupFile", QString::fromStdString(backup));
  press(w, "BtnBackup");
  save(w, "backup");
  closeAll();

  // Restore over the logged-in user, with the import below.
  entry<account::OpenRestoreFormFn>("Caskle.dll", "OpenRestoreForm")(window, token.data(), "한결");
  w = topLevel("RestoreForm");
  set(w, "EdtBackupFile", QString::fromStdString(backup));
  if (auto* b = w ? w->findChild<QCheckBox*>("CBReplace") : nullptr) b->setChecked(true);
  save(w, "restore");
  closeAll();
  entry<account::OpenRestoreFormFn>("Caskle.dll", "OpenRestoreForm")(window, token.data(), nullptr);
  save(topLevel("RestoreForm"), "restore-logged-out");
  closeAll();

  entry<account::OpenPasswordGenFormFn>("Caskle.dll", "OpenPasswordGenForm")(window, 0, 0);
  w = topLevel("PasswordGenForm");
  press(w, "BtnCopy");
  save(w, "passwordgen");
  closeAll();

  const auto unlocked = account::unlockWithPassword(accounts, "한결", "hangyeol pw", programKey);
  const auto block = *store::tools::makeModificationBlock(unlocked->dataKey, "한결", programKey);
  entry<account::OpenPWModifyFormFn>("LMModify.dll", "OpenPWModifyForm")(window, token.data(), block.data(), 0, 0);
  w = topLevel("PWModifyForm");
  set(w, "EdtPassword", "abc");
  set(w, "EdtPassword2", "abd");
  press(w, "BtnOK");
  save(w, "pwmodify");
  closeAll();
  entry<account::OpenFPModifyFormFn>("LMModify.dll", "OpenFPModifyForm")(window, token.data(), block.data(), 0, 0);
  save(topLevel("FPModifyForm"), "fpmodify");
  closeAll();

  auto forged = token;
  forged[9] ^= 1;
  entry<account::OpenOrvaneFormFn>("Orvane.dll", "OpenOrvaneForm")(window, forged.data());
  save(topLevel("ToolNotice"), "refusal");
  closeAll();
  return g_failures ? 1 : 0;
}
