#pragma once

#include <array>
#include <memory>
#include <vector>

#include "lockmere/bio/NimbraThread.h"

namespace bio {

class GuidedRecordSearch;

// Captures and searches with VD_Compare until a template matches (0x488 with
// its index, then ends). A completed search without a match sends 0x48A, a
// failed one 0x48C with its code (no finger: -7), and the thread tries again; a
// failed transfer (-13, -2022: the sensor is gone) sends 0x48C (-13) and ends.
//
// More templates than the classic search takes in one call (60), in the data
// file's records (3656 bytes, the template at 52): each round captures one
// image, extracts it once and searches all the records (GuidedRecordSearch:
// the record the fast family guesses first, then all in slices), so the user
// lays the finger once whatever the number of records. The messages are the
// same.
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
  ~TVerify() override;

  // The bytes a search over these parameters reads; 0 when the parameters are
  // ones the search refuses before reading.
  static std::size_t searchedBytes(int count, int recordSize, int headerSize);
  // Whether these are more records than one classic search takes, in the
  // layout searched in slices.
  static bool searchesInSlices(int count, int recordSize, int headerSize);

  // On the window's thread, for a message claimed from this thread.
  void DeliverResults();

 protected:
  void Execute() override;

 private:
  // One round over all records in slices, with VD_Compare's results.
  int CompareInSlices(int* index, int* score);

  std::vector<unsigned char> templates_;
  std::unique_ptr<GuidedRecordSearch> slices_;  // only for more than 60 records
  std::vector<unsigned char> image_;
  const int count_;
  const int recordSize_;
  const int headerSize_;
  unsigned char* const previewTarget_;
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview_{};
  char message_[kMessageSize] = {};
  int error_ = 0;
};

}  // namespace bio
