#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QJsonObject;

namespace cdp {

// Writes the JSON text of an outgoing message. Used where the text may carry a
// secret (a password handed to a page): the writer's buffer is wiped when it is
// destroyed, which a Qt JSON object cannot promise.
//
//   JsonWriter w;
//   w.beginObject().key("value").value(password).endObject();
//   connection.call("...", w.take(), ...);   // the taker wipes what it took
class JsonWriter {
 public:
  JsonWriter() = default;
  ~JsonWriter();
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

  const std::string& text() const { return text_; }
  // The text; the writer is left empty.
  std::string take();

 private:
  void separate();

  std::string text_;
  std::vector<bool> first_;  // per open object or array: nothing written in it yet
  bool afterKey_ = false;
};

// Appends text as a JSON string literal: quotes, backslashes and control
// characters escaped. Bytes that are not UTF-8 become U+FFFD, so that the browser's
// parser never refuses the message.
void appendJsonString(std::string& out, std::string_view text);

// Compact JSON text of a Qt JSON object.
std::string toJsonText(const QJsonObject& object);

}  // namespace cdp
