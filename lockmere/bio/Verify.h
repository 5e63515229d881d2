#pragma once

#include <array>
#include <vector>

#include "lockmere/bio/NimbraThread.h"

namespace bio {

// Captures and searches with VD_Compare until a template matches (0x488 with
// its index, then ends). A completed search without a match sends 0x48A, a
// failed one 0x48C with its code (no finger: -7), and the thread tries again; a
// failed transfer (-13, -2022: the sensor is gone) sends 0x48C (-13) and ends.
//
// The thread searches its own copy of the templates and captures into its own
// preview; the window's handler copies the preview into the caller's buffer
// (DeliverResults) while the thread waits for its message. The caller's
// buffers may go away as soon as the verification is stopped.
class TVerify : public TNimbraThread {
 public:
  // Between two attempts that failed without capturing (a busy or unopened
  // sensor, wrong parameters): the loop would otherwise spin.
  static constexpr std::chrono::milliseconds kUncapturedRetryPause{100};

  // Opens the sensor first (see OpenSensorForStart; throws NimbraError).
  // Template i starts at templates + headerSize + i * recordSize.
  TVerify(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk, const unsigned char* templates,
          int count, int recordSize, int headerSize, unsigned char* preview);

  // The bytes a search over these parameters reads; 0 when the parameters are
  // ones the search refuses before reading.
  static std::size_t searchedBytes(int count, int recordSize, int headerSize);

  // On the window's thread, for a message claimed from this thread.
  void DeliverResults();

 protected:
  void Execute() override;

 private:
  std::vector<unsigned char> templates_;
  const int count_;
  const int recordSize_;
  const int headerSize_;
  unsigned char* const previewTarget_;
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview_{};
  char message_[kMessageSize] = {};
  int error_ = 0;
};

}  // namespace bio
