#include "lockmere/web/cdp/Connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/web/cdp/JsonText.h"

namespace cdp {

Connection::Connection(int fd, ConnectionListener* listener) : fd_(fd), listener_(listener) {
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { pump(); });
}

Connection::~Connection() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void Connection::close() {
  if (fd_ < 0) return;
  notifier_->setEnabled(false);
  ::close(fd_);
  fd_ = -1;
  if (closeReason_.empty()) closeReason_ = "the browser connection was closed";
}

void Connection::closeWith(const std::string& reason) {
  if (fd_ < 0) return;
  closeReason_ = reason;
  close();
  listener_->onClosed();
}

std::int64_t Connection::send(std::string_view method, const SecretText& paramsJson, const std::string& sessionId) {
  if (fd_ < 0) throw AutomationError(closeReason_.empty() ? "the browser is not running" : closeReason_);
  const std::int64_t id = ++nextId_;
  SecretText message;
  message.reserve(paramsJson.size() + method.size() + sessionId.size() + 64);
  message += "{\"id\":";
  message += std::to_string(id).c_str();
  message += ",\"method\":";
  appendJsonString(message, method);
  if (!sessionId.empty()) {
    message += ",\"sessionId\":";
    appendJsonString(message, sessionId);
  }
  message += ",\"params\":";
  message += paramsJson.empty() ? std::string_view("{}") : std::string_view(paramsJson);
  message += '}';
  message += '\0';
  writeAll(message);
  return id;
}

void Connection::writeAll(const SecretText& message) {
  std::size_t done = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (done < message.size()) {
    const ssize_t n = ::send(fd_, message.data() + done, message.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The browser may be waiting for us to read before it reads more: read
      // into the buffer (handled after the write, never in the middle of it).
      pollfd p{fd_, POLLOUT | POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        closeWith("the browser does not read its commands");
        throw AutomationError(closeReason_);
      }
      if (::poll(&p, 1, static_cast<int>(left)) > 0 && (p.revents & POLLIN)) {
        char buffer[65536];
        const ssize_t r = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (r > 0) in_.append(buffer, static_cast<int>(r));
      }
      continue;
    }
    closeWith(std::string("the browser has closed (") + std::strerror(errno) + ")");
    throw AutomationError(closeReason_);
  }
}

bool Connection::readInto(Clock::time_point deadline) {
  if (fd_ < 0) return false;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, static_cast<int>(left > 0 ? left : 0));
  if (ready < 0 && errno == EINTR) return true;
  if (ready <= 0) return false;
  bool got = false;
  char buffer[65536];
  for (;;) {
    const ssize_t r = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (r > 0) {
      in_.append(buffer, static_cast<int>(r));
      got = true;
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // End of file or a broken socket: the browser is gone. Messages already
    // read are handled first.
    handleMessages();
    closeWith(r == 0 ? "the browser has exited"
                     : std::string("the browser connection failed: ") + std::strerror(errno));
    return got;
  }
  return got;
}

void Connection::handleMessages() {
  if (handling_) return;
  handling_ = true;
  // Messages handled here may read more into the buffer (a command written by a
  // handler waits for room): take what is complete first.
  while (true) {
    const int last = in_.lastIndexOf('\0');
    if (last < 0) break;
    const QByteArray batch = in_.left(last + 1);
    in_.remove(0, last + 1);
    int start = 0;
    for (int end = batch.indexOf('\0'); end >= 0; start = end + 1, end = batch.indexOf('\0', start))
      handleMessage(QByteArray::fromRawData(batch.constData() + start, end - start));
  }
  handling_ = false;
}

void Connection::handleMessage(const QByteArray& text) {
  QJsonParseError error{};
  const QJsonObject message = QJsonDocument::fromJson(text, &error).object();
  if (error.error != QJsonParseError::NoError) return;
  if (message.contains("id")) {
    const auto id = static_cast<std::int64_t>(message.value("id").toDouble());
    if (waiting_.count(id)) replies_[id] = message;
    return;
  }
  const QString method = message.value("method").toString();
  if (method.isEmpty()) return;
  listener_->onEvent(method, message.value("params").toObject(), message.value("sessionId").toString().toStdString());
}

QJsonObject Connection::call(std::string_view method, const QJsonObject& params, const std::string& sessionId,
                             std::chrono::milliseconds timeout) {
  return call(method, toJsonText(params), sessionId, timeout);
}

QJsonObject Connection::call(std::string_view method, SecretText paramsJson, const std::string& sessionId,
                             std::chrono::milliseconds timeout) {
  const std::string what(method);
  if (!sessionId.empty()) {
    if (std::string problem = listener_->callProblem(method, sessionId); !problem.empty())
      throw AutomationError(what + ": " + problem);
  }
  const auto deadline = Clock::now() + timeout;
  const std::int64_t id = send(method, paramsJson, sessionId);
  waiting_.insert(id);
  struct Forget {
    Connection* c;
    std::int64_t id;
    ~Forget() {
      c->waiting_.erase(id);
      c->replies_.erase(id);
    }
  } forget{this, id};
  handleMessages();  // what was read while writing
  for (;;) {
    if (auto it = replies_.find(id); it != replies_.end()) {
      const QJsonObject reply = it->second;
      if (reply.contains("error")) {
        const QJsonObject e = reply.value("error").toObject();
        throw AutomationError(what + ": " + e.value("message").toString().toStdString());
      }
      return reply.value("result").toObject();
    }
    if (fd_ < 0) throw AutomationError(what + ": " + closeReason_);
    if (!sessionId.empty()) {
      if (std::string problem = listener_->callProblem(method, sessionId); !problem.empty())
        throw AutomationError(what + ": " + problem);
    }
    if (Clock::now() >= deadline)
      throw AutomationError(what + ": the browser did not answer within " + std::to_string(timeout.count()) + " ms");
    if (readInto(deadline)) handleMessages();
  }
}

void Connection::post(std::string_view method, const QJsonObject& params, const std::string& sessionId) {
  send(method, toJsonText(params), sessionId);
}

bool Connection::pump(std::chrono::milliseconds wait) {
  if (fd_ < 0) return false;
  const bool got = readInto(Clock::now() + wait);
  handleMessages();
  return got;
}

}  // namespace cdp
