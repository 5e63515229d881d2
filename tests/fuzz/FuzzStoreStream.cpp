// The stream reader on arbitrary bytes: it either fails with StreamError or
// gives lists that write and read back to the same bytes.
#include <cstdlib>

#include "lockmere/store/StoreStream.h"
#include "lockmere/store/StreamError.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  store::stream::Lists lists;
  try {
    lists = store::stream::read(data, size);
  } catch (const store::StreamError&) {
    return 0;
  }
  const crypto::SecureBytes once = store::stream::write(*lists.cates, *lists.sites);
  const store::stream::Lists again = store::stream::read(once.data(), once.size());
  if (store::stream::write(*again.cates, *again.sites) != once) std::abort();
  return 0;
}
