#include "platform/Cp949.h"

#include <iconv.h>
#include <cerrno>

namespace platform::cp949 {
namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t rc = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (rc != static_cast<size_t>(-1)) {
      // glibc counts irreversible conversions (substitutions); we want none.
      if (rc != 0) ok = false;
      break;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: bad or truncated input
    break;
  }
  ::iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(used);
  return out;
}

}  // namespace

std::optional<std::string> fromUtf8(std::string_view utf8) { return convert("CP949", "UTF-8", utf8); }

std::optional<std::string> toUtf8(std::string_view cp949) { return convert("UTF-8", "CP949", cp949); }

}  // namespace platform::cp949
