#include <QApplication>
#include <QTimer>

#include "lockmere/shell/AddressHandover.h"
#include "lockmere/shell/ExitSignals.h"
#include "lockmere/shell/MainForm.h"
#include "platform/FileLock.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(shell::TMainForm::kTitle);
  QApplication::setDesktopFileName("lockmere");
  // The window lives on in the tray; the program ends only when it closes.
  QApplication::setQuitOnLastWindowClosed(false);

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  const QString address = shell::addressArgument(arguments);

  // One program per user: a second start ends at once, without a word; with an
  // address it hands that to the running program first.
  platform::FileLock instance(platform::FileLock::kSingleInstance);
  if (!instance.tryLock()) {
    if (!instance.wasHeldElsewhere()) {
      // No lock file to take (a runtime folder that is not private, say): say why.
      qCritical("Lockmere: %s", instance.error().c_str());
      return 1;
    }
    QString why;
    if (!address.isEmpty() && !shell::handOverAddress(address, &why)) {
      qCritical("Lockmere: the running program did not get the address: %s", qUtf8Printable(why));
      return 1;
    }
    return 0;
  }

  shell::TMainForm window(arguments);
  QObject::connect(&window, &shell::TMainForm::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
  if (!window.listenForOtherPrograms()) qWarning("Lockmere: %s", qUtf8Printable(window.bridgeError()));

  // Ending from outside is File > Exit: log out (save, wipe), then end.
  shell::ExitSignals exitSignals;
  QObject::connect(&exitSignals, &shell::ExitSignals::exitRequested, &window, &shell::TMainForm::MNExitClick);
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &shell::TMainForm::MNExitClick);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &shell::TMainForm::MNExitClick);

  window.showAtStart();
  if (!address.isEmpty()) QTimer::singleShot(0, &window, [&window, address] { window.openAddress(address); });
  return app.exec();
}
