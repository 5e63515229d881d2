// idle-monitor-sim: a stand-in for the desktop's idle monitor on a session bus,
// for the hook library's tests. It counts the idle time from its start (less
// --idle-ms) or from the last call that reports activity.
//
//   idle-monitor-sim [--mutter] [--freedesktop | --freedesktop-unsupported] [--idle-ms N]
//
//   --mutter                   org.gnome.Mutter.IdleMonitor: GetIdletime (t, ms), ResetIdletime
//   --freedesktop              org.freedesktop.ScreenSaver: GetSessionIdleTime (u, ms), SimulateUserActivity
//   --freedesktop-unsupported  the same interface answering "not supported", as GNOME Shell does
//
// Prints "ready" once its names are on the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <cstdio>

namespace {

class IdleCounter {
 public:
  explicit IdleCounter(qint64 idleAtStartMs) : offsetMs_(idleAtStartMs) { timer_.start(); }
  quint64 idleMs() const { return static_cast<quint64>(timer_.elapsed() + offsetMs_); }
  void activity() {
    offsetMs_ = 0;
    timer_.restart();
  }

 private:
  QElapsedTimer timer_;
  qint64 offsetMs_;
};

class MutterIdleMonitor : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")

 public:
  explicit MutterIdleMonitor(IdleCounter& counter) : counter_(counter) {}

 public slots:
  quint64 GetIdletime() { return counter_.idleMs(); }
  void ResetIdletime() { counter_.activity(); }

 private:
  IdleCounter& counter_;
};

class FreedesktopScreenSaver : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  FreedesktopScreenSaver(IdleCounter& counter, bool supported) : counter_(counter), supported_(supported) {}

 public slots:
  uint GetSessionIdleTime() {
    if (!supported_) {
      sendErrorReply(QDBusError::NotSupported, "GetSessionIdleTime is not supported");
      return 0;
    }
    return static_cast<uint>(counter_.idleMs());
  }
  void SimulateUserActivity() { counter_.activity(); }

 private:
  IdleCounter& counter_;
  bool supported_;
};

bool serve(QObject* object, const QString& service, const QString& path) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.registerObject(path, object, QDBusConnection::ExportAllSlots) && bus.registerService(service);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  const qsizetype idleAt = args.indexOf("--idle-ms");
  IdleCounter counter(idleAt >= 0 && idleAt + 1 < args.size() ? args[idleAt + 1].toLongLong() : 0);

  MutterIdleMonitor mutter(counter);
  FreedesktopScreenSaver screenSaver(counter, !args.contains("--freedesktop-unsupported"));
  if (args.contains("--mutter") &&
      !serve(&mutter, "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core")) {
    std::fprintf(stderr, "idle-monitor-sim: %s\n", qPrintable(QDBusConnection::sessionBus().lastError().message()));
    return 1;
  }
  if ((args.contains("--freedesktop") || args.contains("--freedesktop-unsupported")) &&
      !serve(&screenSaver, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver")) {
    std::fprintf(stderr, "idle-monitor-sim: %s\n", qPrintable(QDBusConnection::sessionBus().lastError().message()));
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}

#include "idle-monitor-sim.moc"
