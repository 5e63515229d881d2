#pragma once

#include <string>

// The message and error arguments of an export: "Veradynics" and 0 on entry,
// every failure overwrites both. Null arguments are tolerated (nothing is
// written through them).
namespace ridgecore::api {

inline constexpr char kSuccessText[] = "Veradynics";

// Error codes of the exports.
enum ErrorCode {
  kOk = 0,
  kWrongParam = -1,
  kRefusedNotSameFinger = -2,
  kExtractionFailed = -3,
  kTooManyUsers = -6,
  kNoFinger = -7,
  kBadTemplate = -8,
  kNoMatch = -9,
  kRefusedNotMoved = -10,
  kBadRecord = -11,
  kPoorQuality = -12,
};

class Reply {
 public:
  Reply(char* message, int* error);

  // Result 0 with code and text.
  int fail(int code, const std::string& text);
  // Result 0 with "(tag) text".
  int fail(int code, const char* tag, const std::string& text);
  // Result 1, "Veradynics", 0.
  int succeed();
  // Result 1 with code and "(tag) text" (a completed search without a match).
  int complete(int code, const char* tag, const std::string& text);

  // The text currently in the caller's buffer ("" when there is none).
  std::string message() const;
  int error() const;
  char* messageBuffer() const { return message_; }
  int* errorOutput() const { return error_; }

 private:
  void write(int code, const std::string& text);

  char* message_;
  int* error_;
};

std::string tagged(const char* tag, const std::string& text);

}  // namespace ridgecore::api
