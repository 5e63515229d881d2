#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/web/cdp/JsonText.h"

namespace cdp {

// The arguments of a function called in a page, as data: each becomes one
// argument value of Runtime.callFunctionOn, never part of the script's text.
//
//   frame.call(kSetValue, CallArgs().add(name).add(password));
class CallArgs {
 public:
  CallArgs() { w_.beginArray(); }
  CallArgs& add(std::string_view text) { return item().value(text).endObject(), *this; }
  CallArgs& add(const char* text) { return add(std::string_view(text)); }
  CallArgs& add(const std::string& text) { return add(std::string_view(text)); }
  CallArgs& add(bool b) { return item().value(b).endObject(), *this; }
  CallArgs& add(std::int64_t n) { return item().value(n).endObject(), *this; }
  CallArgs& add(int n) { return add(static_cast<std::int64_t>(n)); }
  CallArgs& add(const std::vector<std::string>& texts) {
    item().beginArray();
    for (const auto& t : texts) w_.value(t);
    w_.endArray().endObject();
    return *this;
  }
  // The JSON array's text.
  SecretText take() {
    w_.endArray();
    return w_.take();
  }

 private:
  JsonWriter& item() { return w_.beginObject().key("value"); }
  JsonWriter w_;
};

}  // namespace cdp
