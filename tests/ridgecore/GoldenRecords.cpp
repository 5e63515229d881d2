#include "tests/ridgecore/GoldenRecords.h"

#include <fstream>
#include <sstream>

#include "match/synthetic/SyntheticMinutiae.h"

namespace ridgecoretest {

// "101_3.pgm 1 26 4c132b...": name, result, count, then x, y, type/direction bytes in hex.
std::vector<GoldenRecord> readGoldenRecords(const std::string& folder, const std::string& file) {
  std::vector<GoldenRecord> records;
  std::ifstream in(folder + "/" + file + ".txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, hex;
    int result = 0, count = 0;
    fields >> name >> result >> count >> hex;
    if (result != 1) continue;
    GoldenRecord r{name.substr(0, name.find('.')), ridgecore::synthetic::MakeRecord({})};
    r.record.count = static_cast<unsigned char>(count);
    for (int k = 0; k < count; ++k) {
      auto byte = [&](int i) {
        return static_cast<unsigned char>(std::stoi(hex.substr(6 * size_t(k) + 2 * size_t(i), 2), nullptr, 16));
      };
      r.record.minutiae[k].x = byte(0);
      r.record.minutiae[k].y = byte(1);
      r.record.minutiae[k].typeDir = byte(2);
    }
    records.push_back(r);
  }
  return records;
}

std::string fingerOf(const GoldenRecord& r) { return r.image.substr(0, r.image.find('_')); }

}  // namespace ridgecoretest
