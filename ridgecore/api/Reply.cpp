#include "api/Reply.h"

#include <cstring>

namespace ridgecore::api {

std::string tagged(const char* tag, const std::string& text) { return std::string("(") + tag + ") " + text; }

Reply::Reply(char* message, int* error) : message_(message), error_(error) { write(kOk, kSuccessText); }

void Reply::write(int code, const std::string& text) {
  if (message_) std::memcpy(message_, text.c_str(), text.size() + 1);
  if (error_) *error_ = code;
}

int Reply::fail(int code, const std::string& text) {
  write(code, text);
  return 0;
}

int Reply::fail(int code, const char* tag, const std::string& text) { return fail(code, tagged(tag, text)); }

int Reply::succeed() {
  write(kOk, kSuccessText);
  return 1;
}

int Reply::complete(int code, const char* tag, const std::string& text) {
  write(code, tagged(tag, text));
  return 1;
}

std::string Reply::message() const { return message_ ? std::string(message_) : std::string(); }

int Reply::error() const { return error_ ? *error_ : kOk; }

}  // namespace ridgecore::api
