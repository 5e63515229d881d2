#include "tests/idle/Desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <cstdlib>

#include "tests/support/TestEnv.h"

namespace idletest {

namespace {

constexpr int kStartMs = 30000;  // generous: the machine is shared

// Reads one line of a starting process's output.
QByteArray readLine(QProcess& process) {
  while (!process.canReadLine()) {
    if (process.state() == QProcess::NotRunning || !process.waitForReadyRead(kStartMs)) return {};
  }
  return process.readLine().trimmed();
}

void end(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(kStartMs)) {
    process.kill();
    process.waitForFinished(kStartMs);
  }
}

}  // namespace

void clearDesktopEnvironment() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS"})
    ::unsetenv(name);
  ::setenv("XDG_RUNTIME_DIR", testenv::makeTempDir("runtime").c_str(), 1);
}

bool XvfbServer::start() {
  // -displayfd: the server takes a free display number and writes it out.
  server_.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
  const QByteArray number = readLine(server_);
  if (number.isEmpty()) {
    error_ = "Xvfb did not start: " + server_.errorString().toStdString() + " " +
             server_.readAllStandardError().toStdString();
    end(server_);
    return false;
  }
  display_ = QByteArray(":" + number).toStdString();
  ::setenv("DISPLAY", display_.c_str(), 1);
  return true;
}

void XvfbServer::stop() { end(server_); }

bool XvfbServer::pressKey() {
  QProcess xdotool;
  xdotool.start("xdotool", {"key", "shift"});
  return xdotool.waitForFinished(kStartMs) && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

bool SessionBus::start(const QStringList& serviceOptions) {
  // A bus of its own: nothing on it but the fake service, and no activation.
  const QString folder = QString::fromStdString(testenv::makeTempDir("bus"));
  QFile config(folder + "/bus.conf");
  if (!config.open(QIODevice::WriteOnly)) return false;
  config.write(
      "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
      "<busconfig><type>session</type><listen>unix:dir=" +
      folder.toUtf8() +
      "</listen><auth>EXTERNAL</auth>"
      "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
      "<allow own=\"*\"/></policy></busconfig>\n");
  config.close();
  daemon_.start("dbus-daemon", {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
  address_ = QString::fromUtf8(readLine(daemon_));
  if (address_.isEmpty()) {
    error_ = "dbus-daemon did not start: " + daemon_.errorString().toStdString() + " " +
             daemon_.readAllStandardError().toStdString();
    end(daemon_);
    return false;
  }
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8().constData(), 1);

  service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  service_.start(QString::fromStdString(testenv::binDir()) + "/idle-monitor-sim", serviceOptions);
  if (readLine(service_) != "ready") {
    error_ = "idle-monitor-sim did not start: " + service_.errorString().toStdString();
    stop();
    return false;
  }
  return true;
}

void SessionBus::stop() {
  end(service_);
  end(daemon_);
  QDBusConnection::disconnectFromBus("idle-test");
}

bool SessionBus::call(const QString& service, const QString& path, const QString& interface, const QString& method) {
  QDBusConnection bus = QDBusConnection::connectToBus(address_, "idle-test");
  const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(service, path, interface, method));
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace idletest
