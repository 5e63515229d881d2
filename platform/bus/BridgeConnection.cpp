#include "platform/bus/BridgeConnection.h"

#include <QLocalSocket>
#include <QTimer>

#include "platform/bus/BusProtocol.h"
#include "platform/bus/MessageBus.h"

namespace platform {
namespace {

// Requests are short lines: a few of them at a time is all a peer gets buffered.
constexpr qint64 kReadBufferBytes = 4096;

}  // namespace

BridgeConnection::BridgeConnection(QLocalSocket* socket, WindowHandle target, const MessageBridge::Limits& limits,
                                   QObject* parent)
    : QObject(parent), socket_(socket), idle_(new QTimer(this)), target_(target), limits_(limits) {
  socket->setParent(this);
  socket->setReadBufferSize(kReadBufferBytes);
  idle_->setSingleShot(true);
  idle_->setInterval(limits_.idleTimeoutMs);
  connect(idle_, &QTimer::timeout, this, &BridgeConnection::idleTooLong);
  connect(socket, &QLocalSocket::readyRead, this, &BridgeConnection::readRequests);
  connect(socket, &QLocalSocket::bytesWritten, this, &BridgeConnection::repliesRead);
  connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
  idle_->start();
  readRequests();  // bytes may have come with the connection
}

bool BridgeConnection::repliesPiledUp() const {
  return socket_ && socket_->bytesToWrite() > limits_.maxUnreadReplyBytes;
}

void BridgeConnection::drop() {
  idle_->stop();
  if (socket_) socket_->abort();
  deleteLater();
}

void BridgeConnection::idleTooLong() {
  // A handler still running is not idleness: its reply is on the way.
  if (busy_) return;
  drop();
}

void BridgeConnection::repliesRead() {
  if (!stalled_ || !socket_ || socket_->bytesToWrite() > limits_.maxUnreadReplyBytes / 2) return;
  stalled_ = false;
  readRequests();
}

void BridgeConnection::reply(const QByteArray& line) {
  if (!socket_) return;
  socket_->write(line + '\n');
  socket_->flush();
}

QByteArray BridgeConnection::handle(const QByteArray& line) {
  std::string error;
  auto request = bus::parseRequest(std::string_view(line.constData(), static_cast<std::size_t>(line.size())), &error);
  bus::Reply answer;
  if (!request) {
    answer.error = error;
  } else if (request->post) {
    answer.ok = MessageBus::post(target_, request->message, request->wParam, request->lParam);
    answer.result = answer.ok ? 1 : 0;
    if (!answer.ok) answer.error = "no such window";
  } else {
    auto result = MessageBus::send(target_, request->message, request->wParam, request->lParam);
    answer.ok = result.has_value();
    answer.result = result.value_or(0);
    if (!answer.ok) answer.error = "no such window";
  }
  return QByteArray::fromStdString(bus::formatReply(answer));
}

void BridgeConnection::readRequests() {
  if (busy_ || stalled_) return;  // the request in hand finishes first; its loop picks up the rest
  busy_ = true;
  QPointer<BridgeConnection> alive(this);
  const qint64 maxLine = static_cast<qint64>(bus::kMaxLineLength) + 2;
  bool handled = false;
  while (socket_) {
    if (repliesPiledUp()) {
      // The peer sends without reading: stop reading it until it catches up (or
      // the idle time-out drops it). Its requests wait in the kernel, not here.
      stalled_ = true;
      break;
    }
    if (discarding_) {
      // The rest of an over-long request, up to its line end, is dropped.
      QByteArray part = socket_->readLine(maxLine);
      if (part.isEmpty()) break;
      if (part.endsWith('\n')) discarding_ = false;
      continue;
    }
    if (!socket_->canReadLine()) {
      if (socket_->bytesAvailable() <= maxLine) break;
      reply("error request too long");
      discarding_ = true;
      continue;
    }
    QByteArray line = socket_->readLine(maxLine);
    if (!line.endsWith('\n')) {
      reply("error request too long");
      discarding_ = true;
      continue;
    }
    line.chop(line.endsWith("\r\n") ? 2 : 1);
    idle_->stop();
    QByteArray answer = handle(line);
    if (!alive) return;  // the handler's nested event loop saw the client go
    reply(answer);
    handled = true;
  }
  busy_ = false;
  if (handled || !idle_->isActive()) idle_->start();
}

}  // namespace platform
