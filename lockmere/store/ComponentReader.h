#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

// Reads the component stream format. Every read is checked against the end
// of the data; anything malformed raises StreamError, never reads outside
// the buffer.
class ComponentReader {
 public:
  ComponentReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  // "TPF0", the class name and the component name; returns the class name.
  std::string beginComponent();
  // The empty child list after the properties' closing 0.
  void endComponent();

  // True (and consumed) when the next byte closes a list.
  bool atListEnd();
  // The name of the next property.
  std::string_view propertyName();

  // Tagged values.
  std::int32_t integerValue();
  double floatValue();
  std::string stringValue();  // UTF-8
  void beginCollection();     // tag 14
  // Inside a collection: true when another item follows (its tag 1 consumed),
  // false at the collection's closing 0.
  bool nextItem();

  std::size_t position() const { return pos_; }
  bool atEnd() const { return pos_ == size_; }

 private:
  std::uint8_t byte();
  std::uint8_t peek() const;
  std::uint32_t u32();
  std::string_view take(std::uint64_t size);

  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace store
