#include "ridgeport/sim/DeviceConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "ridgeport/driver/DeviceBackend.h"

namespace ridgeport::sim {
namespace {

bool parseNumber(const std::string& text, long low, long high, long& value, int base = 0) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, base);
  return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool byteValue(const std::string& text, std::uint8_t& out) {
  long v = 0;
  if (!parseNumber(text, 0, 255, v)) return false;
  out = static_cast<std::uint8_t>(v);
  return true;
}

bool identityValue(const std::string& text, driver::SensorIdentity& id) {
  if (text == "A" || text == "a") return id = driver::SensorIdentityA, true;
  if (text == "B" || text == "b") return id = driver::SensorIdentityB, true;
  auto colon = text.find(':');
  long vid = 0, pid = 0;
  if (colon == std::string::npos || !parseNumber(text.substr(0, colon), 0, 0xFFFF, vid, 16) ||
      !parseNumber(text.substr(colon + 1), 0, 0xFFFF, pid, 16))
    return false;
  id = {static_cast<std::uint16_t>(vid), static_cast<std::uint16_t>(pid)};
  return true;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

std::string hex(unsigned v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, v);
  return text;
}

}  // namespace

// Settings that are one byte each.
const std::map<std::string, std::uint8_t DeviceConfig::*> DeviceConfig::kByteSettings = {
    {"revision", &DeviceConfig::revision}, {"release", &DeviceConfig::releaseMajor}, {"dv44", &DeviceConfig::value44},
    {"dv46", &DeviceConfig::value46},      {"dv47", &DeviceConfig::value47},         {"dv48", &DeviceConfig::value48}};

std::string DeviceConfig::deviceInstance() const {
  return driver::deviceInstancePrefix(identity) + "\\" + (serial.empty() ? "SIM" + std::to_string(number) : serial);
}

bool DeviceConfig::parse(const std::string& text, DeviceConfig& config, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  DeviceConfig c;
  auto items = split(text, ',');
  long n = 0;
  if (items.empty() || !parseNumber(items[0], 0, driver::DeviceBackend::kDeviceObjectCount - 1, n))
    return fail("device number must be 0..14: '" + (items.empty() ? text : items[0]) + "'");
  c.number = static_cast<int>(n);
  for (std::size_t i = 1; i < items.size(); ++i) {
    auto eq = items[i].find('=');
    if (eq == std::string::npos) return fail("expected key=value: '" + items[i] + "'");
    const std::string key = items[i].substr(0, eq), value = items[i].substr(eq + 1);
    bool ok = true;
    if (auto byte = kByteSettings.find(key); byte != kByteSettings.end()) {
      ok = byteValue(value, c.*(byte->second));
    } else if (key == "identity") {
      ok = identityValue(value, c.identity);
    } else if (key == "invert") {
      ok = value == "0" || value == "1";
      c.invertFinger = value == "1";
    } else if (key == "serial") {
      ok = !value.empty() && value.find_first_of("\\\n ") == std::string::npos;
      c.serial = value;
    } else if (key.size() > 1 && key[0] == 'r') {
      long reg = 0;
      std::uint8_t v = 0;
      ok = parseNumber(key.substr(1), 0, 255, reg) && byteValue(value, v);
      if (ok) c.registers[static_cast<int>(reg)] = v;
    } else {
      return fail("unknown device setting '" + key + "'");
    }
    if (!ok) return fail("bad value for " + key + ": '" + value + "'");
  }
  config = c;
  return true;
}

std::string DeviceConfig::toString() const {
  std::string s = std::to_string(number) + ",identity=" + hex(identity.vendorId, 4).substr(2) + ":" +
                  hex(identity.productId, 4).substr(2) + ",revision=" + hex(revision, 2) +
                  ",release=" + hex(releaseMajor, 2) + ",dv44=" + std::to_string(value44) +
                  ",dv46=" + std::to_string(value46) + ",dv47=" + std::to_string(value47) +
                  ",dv48=" + std::to_string(value48) + ",invert=" + (invertFinger ? "1" : "0");
  for (auto [reg, value] : registers) s += ",r" + hex(reg, 2) + "=" + std::to_string(value);
  if (!serial.empty()) s += ",serial=" + serial;
  return s;
}

}  // namespace ridgeport::sim
