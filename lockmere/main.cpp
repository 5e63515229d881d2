#include <QApplication>

#include "lockmere/shell/ExitSignals.h"
#include "lockmere/shell/MainForm.h"
#include "platform/FileLock.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(shell::TMainForm::kTitle);
  QApplication::setDesktopFileName("lockmere");
  // The window lives on in the tray; the program ends only when it closes.
  QApplication::setQuitOnLastWindowClosed(false);

  // One program per user: a second start ends at once, without a word.
  platform::FileLock instance(platform::FileLock::kSingleInstance);
  if (!instance.tryLock()) {
    if (instance.wasHeldElsewhere()) return 0;
    // No lock file to take (a runtime folder that is not private, say): say why.
    qCritical("Lockmere: %s", instance.error().c_str());
    return 1;
  }

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  shell::TMainForm window(arguments);
  QObject::connect(&window, &shell::TMainForm::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
  if (!window.listenForOtherPrograms()) qWarning("Lockmere: %s", qUtf8Printable(window.bridgeError()));

  // Ending from outside is File > Exit: log out (save, wipe), then end.
  shell::ExitSignals exitSignals;
  QObject::connect(&exitSignals, &shell::ExitSignals::exitRequested, &window, &shell::TMainForm::MNExitClick);
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &shell::TMainForm::MNExitClick);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &shell::TMainForm::MNExitClick);

  window.showAtStart();
  return app.exec();
}
