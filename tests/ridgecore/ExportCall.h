#pragma once

#include <cstring>
#include <string>

// The message and error arguments of one export call, prefilled so that a
// call that forgets to write them shows.
namespace ridgecoretest {

struct ExportCall {
  ExportCall() { std::strcpy(message, "(not written)"); }
  char message[256];
  int error = 12345;
  std::string text() const { return message; }
};

}  // namespace ridgecoretest
