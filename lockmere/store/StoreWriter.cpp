#include "lockmere/store/StoreWriter.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "lockmere/store/StoreCipher.h"
#include "lockmere/store/StoreStream.h"
#include "platform/AtomicFile.h"

namespace store {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

// Pieces on their way from one thread to the next. Buffers go back and forth,
// so that a save allocates only a few of them; at most kMostQueued wait.
template <typename Buffer>
class Handover {
 public:
  struct Stopped {};

  // The sending side: hands over a full piece, gets an empty buffer in its
  // place. Raises Stopped once the receiving side has given up.
  void put(Buffer& piece) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || full_.size() < kMostQueued; });
    if (stopped_) throw Stopped{};
    full_.push_back(std::move(piece));
    if (empty_.empty()) {
      piece = Buffer();
    } else {
      piece = std::move(empty_.back());
      empty_.pop_back();
    }
    piece.clear();
    changed_.notify_all();
  }
  // No more pieces; failure is what stopped the sender, if anything did.
  void close(std::exception_ptr failure = nullptr) {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    failure_ = std::move(failure);
    changed_.notify_all();
  }

  // The receiving side: the next piece in place of the one it is done with.
  // False once the sender has closed with nothing left, or has failed.
  bool take(Buffer& piece) {
    std::unique_lock lock(mutex_);
    if (piece.capacity()) empty_.push_back(std::move(piece));
    changed_.wait(lock, [&] { return closed_ || stopped_ || !full_.empty(); });
    if (failure_ || stopped_ || full_.empty()) return false;
    piece = std::move(full_.front());
    full_.pop_front();
    changed_.notify_all();
    return true;
  }
  // Either side gives up: the other's next put or take ends.
  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }
  std::exception_ptr failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
  }

 private:
  static constexpr std::size_t kMostQueued = 4;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Buffer> full_;
  std::vector<Buffer> empty_;
  bool closed_ = false;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

using Ciphertext = std::vector<unsigned char>;

}  // namespace

bool writeEncryptedStore(platform::AtomicFile& file, const crypto::SecureBytes& dataKey, const TLMCateList& cates,
                         const TRegSiteList& sites) {
  storecipher::Encryptor encryptor(dataKey);
  Handover<crypto::SecureBytes> plain;
  Handover<Ciphertext> encrypted;
  bool fileFailed = false;
  std::exception_ptr diskFailure;
  // However this function ends, both threads are released and waited for.
  struct Threads {
    Handover<crypto::SecureBytes>& plain;
    Handover<Ciphertext>& encrypted;
    std::thread stream, disk;
    ~Threads() {
      plain.stop();
      encrypted.stop();
      if (stream.joinable()) stream.join();
      if (disk.joinable()) disk.join();
    }
  } threads{plain, encrypted, {}, {}};
  threads.stream = std::thread([&] {
    try {
      stream::write(cates, sites, kPieceSize, [&](crypto::SecureBytes& piece) { plain.put(piece); });
      plain.close();
    } catch (...) {
      plain.close(std::current_exception());
    }
  });
  threads.disk = std::thread([&] {
    try {
      Ciphertext piece;
      while (encrypted.take(piece)) {
        if (!file.write(piece.data(), piece.size())) {
          fileFailed = true;
          break;
        }
      }
    } catch (...) {
      diskFailure = std::current_exception();
    }
    if (fileFailed || diskFailure) encrypted.stop();
  });

  crypto::SecureBytes piece;
  Ciphertext out;
  try {
    while (plain.take(piece)) {
      encryptor.update(piece.data(), piece.size(), out);
      encrypted.put(out);
    }
    if (const auto failure = plain.failure()) std::rethrow_exception(failure);
    encryptor.finish(out);
    encrypted.put(out);
  } catch (const Handover<Ciphertext>::Stopped&) {
    // The disk thread gave up; its write error is the answer.
  }
  encrypted.close();
  threads.disk.join();
  if (diskFailure) std::rethrow_exception(diskFailure);
  return !fileFailed;
}

}  // namespace store
