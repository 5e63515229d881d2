#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/SiteModel.h"

// The store as a byte stream: the category list, then the site list, each a
// component in the component stream format.
namespace store::stream {

inline constexpr const char* kCateListClass = "TLMCateList";
inline constexpr const char* kSiteListClass = "TRegSiteList";

// Both lists, one after the other. References (ParentID, CateID) are written
// as the positions of the categories they name, which is what their IDs will
// be when the stream is read back; -1 and references to no category are
// written as they are. Raises StreamError for a text that is not valid UTF-8.
crypto::SecureBytes write(const TLMCateList& cates, const TRegSiteList& sites);

// The same bytes handed to sink in order, in pieces of at least pieceSize
// bytes (the last may be shorter), so that they can be used while the rest is
// being written. sink may take a piece's contents by swapping them out; the
// buffer is emptied once it returns. Raises what write() and sink raise.
using PieceSink = std::function<void(crypto::SecureBytes& piece)>;
void write(const TLMCateList& cates, const TRegSiteList& sites, std::size_t pieceSize, const PieceSink& sink);

// One component on its own (positions taken from cates for the site list).
void writeCateList(crypto::SecureBytes& out, const TLMCateList& cates);
void writeSiteList(crypto::SecureBytes& out, const TRegSiteList& sites, const TLMCateList& cates);

struct Lists {
  std::unique_ptr<TLMCateList> cates;
  std::unique_ptr<TRegSiteList> sites;
};

// Reads the category list and then the site list. Items get IDs 0, 1, 2, ...
// in stored order. Raises StreamError for anything malformed: a bad
// signature, another class than expected, an unknown property, a value of the
// wrong kind, a length past the end, bytes after the site list.
Lists read(const unsigned char* data, std::size_t size);

}  // namespace store::stream
