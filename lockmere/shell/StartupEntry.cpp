#include "lockmere/shell/StartupEntry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace shell {
namespace {

constexpr std::string_view kFileName = "lockmere.desktop";
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string configHome() {
  if (const char* home = std::getenv("LOCKMERE_HOME"); home && *home) return home;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

// One argument of an Exec line: quoted when it holds a reserved character.
std::string quoteArgument(const std::string& argument) {
  if (argument.find_first_of(kReserved) == std::string::npos && !argument.empty()) return argument;
  std::string out = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

// The string escapes of a desktop entry value, applied after the quoting.
std::string escapeValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '%')
      out += "%%";
    else
      out += c;
  }
  return out;
}

std::optional<std::string> unescapeValue(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (i + 1 >= text.size() || text[i + 1] != '%') return std::nullopt;  // a field code: not ours
      ++i;
    } else if (c == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      c = next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    out += c;
  }
  return out;
}

std::optional<std::vector<std::string>> splitArguments(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::string arg;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          arg += line[i++];
          continue;
        }
        arg += c;
      }
      if (!closed) return std::nullopt;
    } else {
      while (i < line.size() && line[i] != ' ') arg += line[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace

std::string StartupEntry::filePath() { return configHome() + "/autostart/" + std::string(kFileName); }

std::string StartupEntry::toExec(const std::string& programPath, bool minimized) {
  std::string exec = quoteArgument(programPath);
  if (minimized) exec += kMinimizeSwitch;
  return escapeValue(exec);
}

std::optional<std::string> StartupEntry::fromExec(const std::string& exec) {
  const auto line = unescapeValue(exec);
  if (!line) return std::nullopt;
  const auto args = splitArguments(*line);
  if (!args || args->empty()) return std::nullopt;
  std::string value;
  for (const std::string& arg : *args) value += (value.empty() ? "" : " ") + arg;
  return value;
}

std::optional<std::string> StartupEntry::read() {
  std::ifstream in(filePath());
  if (!in) return std::nullopt;
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') inEntry = line == "[Desktop Entry]";
    if (inEntry && line.rfind("Exec=", 0) == 0) return fromExec(line.substr(5)).value_or(std::string());
  }
  return std::string();  // an entry without a command of ours is still an entry
}

bool StartupEntry::write(const std::string& programPath, bool minimized, std::string* error) {
  if (programPath.find_first_of("\n\r") != std::string::npos) {
    if (error) *error = "the program path cannot be written into a start-up entry";
    return false;
  }
  const std::filesystem::path file(filePath());
  if (!platform::paths::makeDirs(file.parent_path().string(), 0700)) {
    if (error) *error = "cannot create " + file.parent_path().string();
    return false;
  }
  std::ostringstream text;
  text << "[Desktop Entry]\n"
       << "Type=Application\n"
       << "Name=Lockmere\n"
       << "Exec=" << toExec(programPath, minimized) << "\n"
       << "Terminal=false\n"
       << "X-GNOME-Autostart-enabled=true\n";
  return platform::AtomicFile::writeFile(file.string(), text.str(), 0644, error);
}

bool StartupEntry::remove(std::string* error) {
  std::error_code ec;
  std::filesystem::remove(filePath(), ec);
  if (ec && error) *error = ec.message();
  return !ec;
}

}  // namespace shell
