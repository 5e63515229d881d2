#include "platform/bus/BusClient.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Paths.h"
#include "platform/UnixSocket.h"
#include "platform/bus/BusProtocol.h"
#include "platform/bus/MessageBridge.h"

namespace platform {
namespace {

constexpr auto kConnectTime = std::chrono::milliseconds(5000);

// The runtime folder must be private before anything in it is trusted; no folder
// at all means no program made it.
bool runtimeFolderUsable(BusClient::Reply& reply, const QString& path) {
  const std::string folder = paths::runtimeDir();
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 && errno == ENOENT) {
    reply.error = QStringLiteral("Lockmere is not running (no folder %1)").arg(QString::fromStdString(folder));
    return false;
  }
  paths::PrivateDir dir = paths::privateDir(folder, false);
  if (!dir) reply.error = QStringLiteral("not asking %1: %2").arg(path, QString::fromStdString(dir.error));
  return bool(dir);
}

}  // namespace

BusClient::Reply BusClient::send(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs,
                                 const QString& socketPath) {
  return exchange(false, message, wParam, lParam, timeoutMs, socketPath);
}

BusClient::Reply BusClient::post(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs,
                                 const QString& socketPath) {
  return exchange(true, message, wParam, lParam, timeoutMs, socketPath);
}

BusClient::Reply BusClient::exchange(bool post, std::uint32_t message, std::int64_t wParam, std::int64_t lParam,
                                     int timeoutMs, const QString& socketPath) {
  const bool inRuntimeFolder = socketPath.isEmpty() && qEnvironmentVariableIsEmpty("LOCKMERE_BUS_SOCKET");
  const QString path = socketPath.isEmpty() ? MessageBridge::defaultSocketPath() : socketPath;
  Reply reply;
  if (inRuntimeFolder && !runtimeFolderUsable(reply, path)) return reply;

  const auto start = unixsocket::Clock::now();
  const unixsocket::Deadline deadline =
      timeoutMs < 0 ? unixsocket::Deadline::max() : start + std::chrono::milliseconds(timeoutMs);
  std::string why;
  const int fd = unixsocket::connectTo(path.toStdString(), std::min(deadline, start + kConnectTime), &why);
  if (fd < 0) {
    reply.error = errno == EPERM
                      ? QStringLiteral("refused: %1").arg(QString::fromStdString(why))
                      : QStringLiteral("Lockmere is not running (no answer at %1)").arg(QString::fromStdString(why));
    return reply;
  }
  const std::string request = bus::formatRequest({post, message, wParam, lParam}) + "\n";
  // A failed write is not the end: a bridge that refuses the peer says why before it closes.
  unixsocket::sendAll(fd, request.data(), request.size(), deadline);

  std::string line;
  char buffer[512];
  for (;;) {
    const long got = unixsocket::receiveSome(fd, buffer, sizeof buffer, deadline);
    if (got <= 0) {
      const int err = errno;
      if (got == 0)
        reply.error = QStringLiteral("the program closed the connection without an answer");
      else if (err == ETIMEDOUT)
        reply.error = QStringLiteral("no answer within %1 ms").arg(timeoutMs);
      else
        reply.error = QStringLiteral("cannot read from %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
      ::close(fd);
      return reply;
    }
    line.append(buffer, static_cast<std::size_t>(got));
    const auto end = line.find('\n');
    if (end != std::string::npos) {
      line.resize(end);
      break;
    }
    if (line.size() > static_cast<std::size_t>(kMaxReplyLength)) {
      reply.error = QStringLiteral("the answer from %1 is too long (over %2 bytes)").arg(path).arg(kMaxReplyLength);
      ::close(fd);
      return reply;
    }
  }
  ::close(fd);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  auto parsed = bus::parseReply(line);
  if (!parsed) {
    reply.error = QStringLiteral("unexpected answer: %1").arg(QString::fromStdString(line));
    return reply;
  }
  reply.ok = parsed->ok;
  reply.result = parsed->result;
  reply.error = QString::fromStdString(parsed->error);
  return reply;
}

}  // namespace platform
