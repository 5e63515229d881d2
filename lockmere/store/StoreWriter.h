#pragma once

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/SiteModel.h"

namespace platform {
class AtomicFile;
}

namespace store {

// Appends the lists' encrypted store to file: the bytes of
// storecipher::encrypt(stream::write(cates, sites), dataKey). Three threads
// share the work: one writes the stream, the calling one encrypts it as it
// comes (CBC is one chain and the slowest step), one writes the encrypted
// pieces to the file, so that the stream and the file writes hide behind the
// encryption. False when the file refuses a write (its error() says why);
// raises what the stream and the cipher raise. Either way the other threads
// have stopped when it returns.
bool writeEncryptedStore(platform::AtomicFile& file, const crypto::SecureBytes& dataKey, const TLMCateList& cates,
                         const TRegSiteList& sites);

}  // namespace store
