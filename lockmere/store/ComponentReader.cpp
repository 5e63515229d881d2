#include "lockmere/store/ComponentReader.h"

#include <array>
#include <optional>

#include "lockmere/store/ComponentWriter.h"
#include "lockmere/store/Extended80.h"
#include "lockmere/store/StreamError.h"
#include "lockmere/store/TextCodec.h"

namespace store {
namespace {

[[noreturn]] void fail(const char* what) { throw StreamError(what); }

}  // namespace

std::uint8_t ComponentReader::peek() const {
  if (pos_ >= size_) fail("Stream read error: the stream ends early");
  return data_[pos_];
}

std::uint8_t ComponentReader::byte() {
  const std::uint8_t b = peek();
  ++pos_;
  return b;
}

std::uint32_t ComponentReader::u32() {
  const std::string_view b = take(4);
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[static_cast<std::size_t>(i)]);
  return v;
}

std::string_view ComponentReader::take(std::uint64_t size) {
  if (size > size_ - pos_) fail("Stream read error: a length runs past the end of the stream");
  std::string_view out(reinterpret_cast<const char*>(data_ + pos_), static_cast<std::size_t>(size));
  pos_ += static_cast<std::size_t>(size);
  return out;
}

std::string ComponentReader::beginComponent() {
  if (take(4) != "TPF0") fail("Invalid stream format: no component signature");
  std::string className(take(byte()));
  take(byte());  // the component's name: ours have none, others are not kept
  return className;
}

void ComponentReader::endComponent() {
  if (byte() != kTagNull) fail("Invalid stream format: unexpected child components");
}

bool ComponentReader::atListEnd() {
  if (peek() != kTagNull) return false;
  ++pos_;
  return true;
}

std::string_view ComponentReader::propertyName() {
  const std::uint8_t n = byte();
  if (n == 0) fail("Invalid stream format: empty property name");
  return take(n);
}

std::int32_t ComponentReader::integerValue() {
  switch (byte()) {
    case kTagInt8:
      return static_cast<std::int8_t>(byte());
    case kTagInt16: {
      const std::string_view b = take(2);
      return static_cast<std::int16_t>(static_cast<unsigned char>(b[0]) | static_cast<unsigned char>(b[1]) << 8);
    }
    case kTagInt32:
      return static_cast<std::int32_t>(u32());
    default:
      fail("Invalid property value: an integer was expected");
  }
}

double ComponentReader::floatValue() {
  if (peek() != kTagExtended) return integerValue();
  ++pos_;
  const std::string_view b = take(10);
  extended80::Bytes ext;
  for (std::size_t i = 0; i < ext.size(); ++i) ext[i] = static_cast<unsigned char>(b[i]);
  return extended80::toDouble(ext);
}

std::string ComponentReader::stringValue() {
  const std::uint8_t tag = byte();
  std::optional<std::string> text;
  switch (tag) {
    case kTagString:
      text = text::fromCodePage(take(byte()));
      break;
    case kTagLString:
      text = text::fromCodePage(take(u32()));
      break;
    case kTagWString:
      text = text::utf16leToUtf8(take(std::uint64_t{u32()} * 2));
      break;
    case kTagUtf8String: {
      const std::string_view utf8 = take(u32());
      if (text::isValidUtf8(utf8)) text = std::string(utf8);
      break;
    }
    default:
      fail("Invalid property value: a string was expected");
  }
  if (!text) fail("Invalid property value: the text cannot be decoded");
  return std::move(*text);
}

void ComponentReader::beginCollection() {
  if (byte() != kTagCollection) fail("Invalid property value: a collection was expected");
}

bool ComponentReader::nextItem() {
  const std::uint8_t tag = byte();
  if (tag == kTagNull) return false;
  if (tag != kTagList) fail("Invalid stream format: a collection item was expected");
  return true;
}

}  // namespace store
