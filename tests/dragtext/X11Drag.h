#pragma once

#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QtTest>

// Real X input for the drag tests under Xvfb: xdotool moves the pointer and
// presses keys, and a second program (DragTextReceiver) receives the drops.
namespace x11drag {

// Runs xdotool with these commands while the event loop goes on (a drag runs
// its own loop meanwhile).
inline bool xdotool(const QStringList& commands, int timeoutMs = 20000) {
  QProcess p;
  p.start("xdotool", commands);
  if (!p.waitForStarted(5000)) return false;
  const bool done = QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
  if (!done) p.kill();
  return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A drag with the left button from one point of the screen to another, in
// steps, resting at the end before the release.
inline QStringList dragCommands(QPoint from, QPoint to, const QString& beforeRelease = {}) {
  QStringList c{"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.2", "mousedown", "1"};
  const int steps = 12;
  for (int i = 1; i <= steps; ++i) {
    const QPoint p = from + (to - from) * i / steps + QPoint(i == 1 ? 6 : 0, i == 1 ? 6 : 0);
    c << "sleep"
      << "0.05"
      << "mousemove" << QString::number(p.x()) << QString::number(p.y());
  }
  c << "sleep"
    << "0.3";
  if (!beforeRelease.isEmpty()) c << beforeRelease.split(' ');
  c << "mouseup"
    << "1"
    << "sleep"
    << "0.3";
  return c;
}

// The receiving program.
class Receiver {
 public:
  explicit Receiver(const QString& program, QPoint at = {560, 80}) {
    process_.start(program, {QString::number(at.x()), QString::number(at.y())});
  }
  ~Receiver() {
    process_.write("quit\n");
    if (!process_.waitForFinished(3000)) process_.kill();
  }
  bool ready() {
    if (!QTest::qWaitFor([&] { return pump(), !field_.isNull(); }, 10000)) return false;
    return true;
  }
  QRect field() const { return field_; }
  QRect filesOnly() const { return files_; }
  // Texts the field received, in order.
  QStringList texts() {
    pump();
    return texts_;
  }
  bool fileDropped() {
    pump();
    return fileDrop_;
  }
  void clear() {
    process_.write("clear\n");
    QTest::qWait(200);
    pump();
    texts_.clear();
  }
  // The receiver's clipboard and selection texts.
  QStringList clipboard() {
    clip_.clear();
    process_.write("clip\n");
    (void)QTest::qWaitFor([&] { return pump(), !clip_.isEmpty(); }, 5000);
    return clip_;
  }

 private:
  void pump() {
    buffer_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = buffer_.indexOf('\n')) >= 0) {
      const QByteArray line = buffer_.left(end);
      buffer_.remove(0, end + 1);
      const QList<QByteArray> w = line.split(' ');
      if (w[0] == "READY" && w.size() == 9) {
        field_ = QRect(w[1].toInt(), w[2].toInt(), w[3].toInt(), w[4].toInt());
        files_ = QRect(w[5].toInt(), w[6].toInt(), w[7].toInt(), w[8].toInt());
      } else if (w[0] == "TEXT" && w.size() == 2) {
        texts_ << QString::fromUtf8(QByteArray::fromBase64(w[1]));
      } else if (w[0] == "FILEDROP") {
        fileDrop_ = true;
      } else if (w[0] == "CLIP") {
        clip_ = QStringList{QString::fromUtf8(QByteArray::fromBase64(w.value(1))),
                            QString::fromUtf8(QByteArray::fromBase64(w.value(2)))};
      }
    }
  }

  QProcess process_;
  QByteArray buffer_;
  QRect field_, files_;
  QStringList texts_;
  QStringList clip_;
  bool fileDrop_ = false;
};

}  // namespace x11drag
