#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lockmere/web/cdp/JsonText.h"

class QSocketNotifier;

namespace cdp {

// What the connection reports to its owner.
class ConnectionListener {
 public:
  virtual ~ConnectionListener() = default;
  // An event of the browser, as soon as it is read (also while a call waits).
  // It may post commands but must not wait for a reply.
  virtual void onEvent(const QString& method, const QJsonObject& params, const std::string& sessionId) = 0;
  // The browser closed its end (it exited or crashed).
  virtual void onClosed() = 0;
  // Why a call of this method on this session cannot be answered (its page
  // closed, a dialog holds its page); empty when it can.
  virtual std::string callProblem(std::string_view method, const std::string& sessionId) = 0;
};

// The DevTools protocol over the browser's pipe: JSON messages ended by a NUL
// byte. Calls are synchronous: call() writes the command and reads until its
// reply arrives or its deadline passes, handing every event read meanwhile to the
// listener. Between calls a socket notifier reads events when the event loop runs.
class Connection : public QObject {
  Q_OBJECT
 public:
  // Takes ownership of fd (our end of the browser's socket).
  Connection(int fd, ConnectionListener* listener);
  ~Connection() override;

  bool isOpen() const { return fd_ >= 0; }

  // The command's result. Throws AutomationError when the browser answers with
  // an error, does not answer before the timeout, or goes away. paramsJson is a
  // JSON object's text.
  QJsonObject call(std::string_view method, SecretText paramsJson, const std::string& sessionId,
                   std::chrono::milliseconds timeout);
  QJsonObject call(std::string_view method, const QJsonObject& params, const std::string& sessionId,
                   std::chrono::milliseconds timeout);
  // Sends a command without waiting for its reply (its reply is dropped).
  void post(std::string_view method, const QJsonObject& params, const std::string& sessionId);

  // Reads and handles what the browser has sent, waiting at most `wait` for the
  // first message. False when nothing came.
  bool pump(std::chrono::milliseconds wait = std::chrono::milliseconds(0));

  // Closes our end; the browser exits when it sees that.
  void close();

 private:
  using Clock = std::chrono::steady_clock;

  std::int64_t send(std::string_view method, const SecretText& paramsJson, const std::string& sessionId);
  void writeAll(const SecretText& message);
  // Reads into the buffer, waiting until the deadline for something to read.
  // False on timeout; closes on end of file or error.
  bool readInto(Clock::time_point deadline);
  void handleMessages();
  void handleMessage(const QByteArray& text);
  void closeWith(const std::string& reason);

  int fd_;
  ConnectionListener* listener_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QByteArray in_;
  std::int64_t nextId_ = 0;
  std::set<std::int64_t> waiting_;
  std::unordered_map<std::int64_t, QJsonObject> replies_;
  bool handling_ = false;
  std::string closeReason_;
};

}  // namespace cdp
