#pragma once

#include <QObject>

class QSocketNotifier;

namespace shell {

// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the main thread (a
// pipe written by the signal handler), so that the program ends as File >
// Exit does instead of dying with a user logged in. One per process.
class ExitSignals : public QObject {
  Q_OBJECT

 public:
  explicit ExitSignals(QObject* parent = nullptr);
  ~ExitSignals() override;
  ExitSignals(const ExitSignals&) = delete;
  ExitSignals& operator=(const ExitSignals&) = delete;

  bool isInstalled() const { return notifier_ != nullptr; }

 signals:
  // The number of the signal that arrived.
  void exitRequested(int signalNumber);

 private:
  void readPipe();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace shell
