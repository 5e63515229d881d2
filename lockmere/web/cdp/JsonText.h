#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

class QJsonObject;

namespace cdp {

// Text of an outgoing message. It may carry a secret (a password handed to a
// page), so every block it ever held is wiped when it is given back.
using SecretText = std::basic_string<char, std::char_traits<char>, crypto::SecureAllocator<char>>;

// Writes the JSON text of an outgoing message. Used where the text may carry a
// secret (a password handed to a page): its buffers are wiped when they are
// given back, which a Qt JSON object cannot promise.
//
//   JsonWriter w;
//   w.beginObject().key("value").value(password).endObject();
//   connection.call("...", w.take(), ...);
class JsonWriter {
 public:
  JsonWriter() = default;
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
  JsonWriter& value(bool b);
  JsonWriter& value(std::int64_t n);
  JsonWriter& value(int n) { return value(static_cast<std::int64_t>(n)); }
  JsonWriter& null();
  // A value given as JSON text already (trusted to be well formed).
  JsonWriter& raw(std::string_view json);

  const SecretText& text() const { return text_; }
  // The text; the writer is left empty.
  SecretText take();

 private:
  void separate();

  SecretText text_;
  std::vector<bool> first_;  // per open object or array: nothing written in it yet
  bool afterKey_ = false;
};

// Appends text as a JSON string literal: quotes, backslashes and control
// characters escaped. Bytes that are not UTF-8 become U+FFFD, so that the browser's
// parser never refuses the message.
void appendJsonString(SecretText& out, std::string_view text);

// Compact JSON text of a Qt JSON object.
SecretText toJsonText(const QJsonObject& object);

}  // namespace cdp
