#include "lockmere/store/ComponentWriter.h"

#include <string>

#include "lockmere/store/Extended80.h"
#include "lockmere/store/StreamError.h"
#include "lockmere/store/TextCodec.h"

namespace store {

void ComponentWriter::bytes(const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  out_.insert(out_.end(), p, p + size);
}

void ComponentWriter::u32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) byte(static_cast<std::uint8_t>(v >> (8 * i)));
}

void ComponentWriter::shortText(std::string_view ascii) {
  if (ascii.size() > 255) throw StreamError("a name is longer than 255 bytes");
  byte(static_cast<std::uint8_t>(ascii.size()));
  bytes(ascii.data(), ascii.size());
}

void ComponentWriter::beginComponent(std::string_view className) {
  bytes("TPF0", 4);
  shortText(className);
  byte(0);  // no component name
}

void ComponentWriter::endComponent() {
  byte(kTagNull);  // end of properties
  byte(kTagNull);  // no children
}

void ComponentWriter::integerValue(std::int32_t value) {
  if (value >= -128 && value <= 127) {
    byte(kTagInt8);
    byte(static_cast<std::uint8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    byte(kTagInt16);
    byte(static_cast<std::uint8_t>(value));
    byte(static_cast<std::uint8_t>(value >> 8));
  } else {
    byte(kTagInt32);
    u32(static_cast<std::uint32_t>(value));
  }
}

void ComponentWriter::stringValue(std::string_view utf8) {
  // The rule works on the text's UTF-16 and UTF-8 forms: plain ASCII keeps
  // its code-page bytes, text whose UTF-8 form is shorter than its UTF-16 form
  // goes as UTF-8, the rest as UTF-16.
  // Most stored text is ASCII: it takes the first form without decoding.
  if (!utf8.empty() && text::isAscii(utf8)) {
    if (utf8.size() < 256) {
      byte(kTagString);
      byte(static_cast<std::uint8_t>(utf8.size()));
    } else {
      byte(kTagLString);
      u32(static_cast<std::uint32_t>(utf8.size()));
    }
    bytes(utf8.data(), utf8.size());
    return;
  }
  const auto units = text::utf16Length(utf8);
  if (!units) throw StreamError("a text is not valid UTF-8");
  if (utf8.size() < 2 * *units) {
    byte(kTagUtf8String);
    u32(static_cast<std::uint32_t>(utf8.size()));
    bytes(utf8.data(), utf8.size());
    return;
  }
  std::string wide;
  wide.reserve(2 * *units);
  text::appendUtf16le(utf8, wide);
  byte(kTagWString);
  u32(static_cast<std::uint32_t>(*units));
  bytes(wide.data(), wide.size());
  crypto::wipe(wide);
}

void ComponentWriter::stringProperty(std::string_view propertyName, std::string_view utf8) {
  if (utf8.empty()) return;
  if (utf8.size() > 0x7FFFFFFF) throw StreamError("a text is too long to store");
  name(propertyName);
  stringValue(utf8);
}

void ComponentWriter::integerProperty(std::string_view propertyName, std::int32_t value) {
  name(propertyName);
  integerValue(value);
}

void ComponentWriter::dateTimeProperty(std::string_view propertyName, double value) {
  if (value == 0) return;
  name(propertyName);
  byte(kTagExtended);
  const auto ext = extended80::fromDouble(value);
  bytes(ext.data(), ext.size());
}

void ComponentWriter::beginCollection(std::string_view propertyName) {
  name(propertyName);
  byte(kTagCollection);
}

}  // namespace store
