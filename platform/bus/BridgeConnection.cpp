#include "platform/bus/BridgeConnection.h"

#include <QLocalSocket>

#include "platform/bus/BusProtocol.h"
#include "platform/bus/MessageBus.h"

namespace platform {

BridgeConnection::BridgeConnection(QLocalSocket* socket, WindowHandle target, QObject* parent)
    : QObject(parent), socket_(socket), target_(target) {
  socket->setParent(this);
  connect(socket, &QLocalSocket::readyRead, this, &BridgeConnection::readRequests);
  connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
  readRequests();  // bytes may have come with the connection
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
  if (busy_) return;  // the request in hand finishes first; its loop picks up the rest
  busy_ = true;
  QPointer<BridgeConnection> alive(this);
  const qint64 maxLine = static_cast<qint64>(bus::kMaxLineLength) + 2;
  while (socket_) {
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
    QByteArray answer = handle(line);
    if (!alive) return;  // the handler's nested event loop saw the client go
    reply(answer);
  }
  busy_ = false;
}

}  // namespace platform
