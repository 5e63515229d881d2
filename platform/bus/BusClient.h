#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// The other programs' side of the message bridge: sends one message to the window
// behind a bridge and waits for the answer. Blocking, needs no event loop, usable
// from any thread.
//
//   auto reply = platform::BusClient::send(platform::msg::kLoginRequest, 0, 0);
//   if (!reply.ok) qWarning() << reply.error;
//
// It talks only to a bridge of its own user (SO_PEERCRED), in the default place
// only when the runtime folder is private, and reads an answer of at most
// kMaxReplyLength bytes.
class BusClient {
 public:
  static constexpr int kMaxReplyLength = 4096;

  struct Reply {
    bool ok = false;
    std::int64_t result = 0;  // the handler's result (send) or 1 (post)
    QString error;
  };

  // timeoutMs < 0 waits for the handler as long as it takes (as a sent message does).
  // socketPath empty: MessageBridge::defaultSocketPath().
  static Reply send(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs = -1,
                    const QString& socketPath = {});
  static Reply post(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs = 10000,
                    const QString& socketPath = {});

 private:
  static Reply exchange(bool post, std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs,
                        const QString& socketPath);
};

}  // namespace platform
