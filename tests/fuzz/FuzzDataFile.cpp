// The data-file loader on arbitrary files. The first byte picks what the rest
// is, so that the fuzzer reaches past the cipher as well as into the header:
//   0: a whole file as it lies on disk;
//   1: template records count (next byte), then the plain stream, which is put
//      behind a valid header and encrypted with the data key here;
//   2: a valid header and records followed by these bytes as the encrypted store.
// The auto-login and modification readers get the same bytes.
#include <cstdlib>
#include <cstring>
#include <string>

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/StoreCipher.h"

namespace {

const crypto::SecureBytes& dataKey() {
  static const crypto::SecureBytes key(56, 0x5A);
  return key;
}

std::string validHead(unsigned records) {
  unsigned char check[store::DataFileHeader::kCheckBlockSize] = {};
  const auto header = store::DataFileHeader::make(check, 3656, static_cast<std::int32_t>(records));
  std::string head(reinterpret_cast<const char*>(header.bytes().data()), header.bytes().size());
  head.append(records * 3656u, '\x11');
  return head;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size < 2) return 0;
  static const crypto::SecureBytes programKey = store::fixed::programKey();
  const unsigned char mode = data[0] % 3;
  std::string file;
  if (mode == 0) {
    file.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  } else if (mode == 1) {
    crypto::SecureBytes stream(data + 2, data + size);
    const auto encrypted = store::storecipher::encrypt(stream, dataKey());
    file = validHead(data[1] % 3);
    file.append(reinterpret_cast<const char*>(encrypted.data()), encrypted.size());
  } else {
    file = validHead(data[1] % 3);
    file.append(reinterpret_cast<const char*>(data + 2), size - 2);
  }
  const store::StoreLoad load = store::DataFile::loadStoreFromBytes(file, dataKey());
  if (load.ok() && (!load.cates || !load.sites)) std::abort();
  if (!load.ok() && load.error.empty()) std::abort();
  store::DataFile::templateRecordsFromBytes(file, programKey);
  store::autologin::read(data + 1, size - 1, programKey);
  store::tools::readModificationBlock(data + 1, size - 1, programKey);
  return 0;
}
