#pragma once

#include <optional>
#include <string>

namespace shell {

// The program's entry in the desktop's start-up list: the XDG autostart file
// lockmere.desktop in ~/.config/autostart ($XDG_CONFIG_HOME/autostart; in
// $LOCKMERE_HOME/autostart when that is set). Its value is the Exec line as a
// plain command: the program's full path, followed by " /Minimize" when the
// program is to start minimised.
class StartupEntry {
 public:
  static constexpr const char* kMinimizeSwitch = " /Minimize";

  static std::string filePath();

  // The entry's value; nullopt when there is no entry.
  static std::optional<std::string> read();
  // Writes the entry for this program (mode 0644, replacing the old one whole).
  static bool write(const std::string& programPath, bool minimized, std::string* error = nullptr);
  // Removes the entry; an absent entry is fine.
  static bool remove(std::string* error = nullptr);

  // The value's Exec form and back (quoting and escapes of the desktop entry
  // format); fromExec gives nullopt for a line that does not parse.
  static std::string toExec(const std::string& programPath, bool minimized);
  static std::optional<std::string> fromExec(const std::string& exec);
};

}  // namespace shell
