#include "lockmere/bio/FastCandidates.h"

#include <cstring>
#include <mutex>

#include "lockmere/bio/NimbraExports.h"
#include "lockmere/bio/Wipe.h"

namespace bio {
namespace {

// The validity marks the library's records carry; the slots of a template
// leave theirs out, and the fast form's target must carry its own already.
constexpr char kRecordMark[6] = {'1', '0', '4', '0', 'D', 'V'};
constexpr char kFastMark[6] = {'1', '0', '4', '0', 'T', 'F'};
constexpr int kSlots = 3;
constexpr int kMatchScore = 100;

template <class Function>
Function resolve(platform::Library& library, const char* name, std::string& error) {
  auto fn = library.resolve<Function>(name);
  if (!fn) error = std::string(name) + " is not exported by " + library.fileName();
  return fn;
}

}  // namespace

FastCandidates::FastCandidates(const unsigned char* records, std::size_t count) {
  if (!library_.load()) {
    error_ = "Dynamic library " + library_.fileName() + " not found (" + library_.errorString() + ")";
    return;
  }
  toFast_ = resolve<ToFastFunction>(library_, "VD_FData2FastFData", error_);
  make_ = resolve<MakeFunction>(library_, "VD_Fast_MakeEnrollUsingFData", error_);
  level_ = resolve<LevelFunction>(library_, "VD_FAST_SetSecurityLevel", error_);
  auto search = resolve<SearchFunction>(library_, "VD_FAST_CompareEnroll1toNUsingFData", error_);
  if (!toFast_ || !make_ || !level_ || !search) return;
  templates_.reserve(count * sizeof(tagFASTENROLL));
  for (std::size_t i = 0; i < count && records; ++i) {
    tagENROLL classic;
    std::memcpy(&classic, records + i * kRecordSize + kHeaderSize, sizeof classic);
    if (classic.magic == RIDGECORE_ENROLL_MAGIC) add(classic, i);
    explicit_bzero(&classic, sizeof classic);
  }
  search_ = search;
}

FastCandidates::~FastCandidates() { wipe(templates_); }

bool FastCandidates::toFast(const tagFDATA& record, tagFASTFDATA& out) const {
  tagFDATA marked = record;
  std::memcpy(marked.mark, kRecordMark, sizeof marked.mark);
  std::memset(&out, 0, sizeof out);
  std::memcpy(out.mark, kFastMark, sizeof out.mark);
  char message[256] = "";
  int error = 0;
  const bool ok = toFast_(&marked, &out, message, &error) == 1;
  explicit_bzero(&marked, sizeof marked);
  return ok;
}

bool FastCandidates::add(const tagENROLL& classic, std::size_t record) {
  const std::size_t at = templates_.size();
  templates_.resize(at + sizeof(tagFASTENROLL), 0);
  auto* fast = reinterpret_cast<tagFASTENROLL*>(templates_.data() + at);
  bool ok = true;
  {
    std::lock_guard lock(NimbraExports::callLock());
    for (int slot = 0; slot < kSlots && ok; ++slot) {
      tagFASTFDATA impression;
      char message[256] = "";
      int error = 0;
      ok = toFast(classic.slot[slot], impression) && make_(&impression, slot, fast, message, &error) == 1;
      explicit_bzero(&impression, sizeof impression);
    }
    char message[256] = "";
    int error = 0;
    ok = ok && level_(fast, classic.security, message, &error) == 1;
  }
  if (!ok) {
    explicit_bzero(fast, sizeof *fast);
    templates_.resize(at);
    return false;
  }
  recordOf_.push_back(record);
  return true;
}

std::optional<std::size_t> FastCandidates::candidate(const tagFDATA& probe) const {
  if (!search_ || recordOf_.empty()) return std::nullopt;
  int index = -1, score = 0, error = 0;
  char message[256] = "";
  int ok = 0;
  {
    std::lock_guard lock(NimbraExports::callLock());
    tagFASTFDATA fast;
    if (toFast(probe, fast))
      // The library takes a non-const buffer; it only reads it.
      ok = search_(&fast, const_cast<unsigned char*>(templates_.data()), static_cast<int>(recordOf_.size()),
                   static_cast<int>(sizeof(tagFASTENROLL)), 0, &index, &score, message, &error);
    explicit_bzero(&fast, sizeof fast);
  }
  if (ok != 1 || score != kMatchScore || index < 0 || static_cast<std::size_t>(index) >= recordOf_.size())
    return std::nullopt;
  return recordOf_[static_cast<std::size_t>(index)];
}

}  // namespace bio
