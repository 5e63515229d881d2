#pragma once

#include <cstdint>
#include <string_view>

#include "lockmere/crypto/SecureBytes.h"

namespace store {

// Value tags of the component stream.
enum ValueTag : std::uint8_t {
  kTagNull = 0,  // end of a list
  kTagList = 1,  // start of a collection item
  kTagInt8 = 2,
  kTagInt16 = 3,
  kTagInt32 = 4,
  kTagExtended = 5,
  kTagString = 6,
  kTagLString = 12,
  kTagCollection = 14,
  kTagWString = 18,
  kTagUtf8String = 20,
};

// Writes components in the component stream format: "TPF0", the class name,
// the (empty) component name, the properties, the (empty) child list. The
// output buffer is wiped when freed: it holds passwords.
class ComponentWriter {
 public:
  explicit ComponentWriter(crypto::SecureBytes& out) : out_(out) {}

  void beginComponent(std::string_view className);
  void endComponent();  // ends the property list and writes the empty child list

  // Properties by the write rules: strings only when not empty, integers
  // always, a date-time only when not 0. Raises StreamError for a string that
  // is not valid UTF-8.
  void stringProperty(std::string_view name, std::string_view utf8);
  void integerProperty(std::string_view name, std::int32_t value);
  void dateTimeProperty(std::string_view name, double value);

  // A collection property: beginCollection, then per item beginItem ...
  // endList, then endList for the collection.
  void beginCollection(std::string_view name);
  void beginItem() { byte(kTagList); }
  void endList() { byte(kTagNull); }

  // The tagged values on their own.
  void integerValue(std::int32_t value);
  void stringValue(std::string_view utf8);

 private:
  void byte(std::uint8_t b) { out_.push_back(b); }
  void bytes(const void* data, std::size_t size);
  void u32(std::uint32_t v);
  void shortText(std::string_view ascii);  // length byte + bytes
  void name(std::string_view propertyName) { shortText(propertyName); }

  crypto::SecureBytes& out_;
};

}  // namespace store
