#include "bench/accuracy/LevelTable.h"

#include <cstdio>
#include <set>

namespace accuracy {

std::string jsonText(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out;
}

std::string rateText(const Rate& r) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f %3d/%-4d", r.value(), r.hits, r.trials);
  return text;
}

void printLevelHeader() {
  std::printf("%-7s %-5s %-5s %-13s %-8s  %-14s  %-14s\n", "family", "level", "pairs", "set", "polarity", "genuine",
              "rank-1");
}

void printLevels(const std::string& family, const LevelReport& report, bool json) {
  const std::string name = jsonText(family);
  for (const LevelFigures& l : report.levels) {
    for (const LevelRow& row : l.rows) {
      if (json) {
        std::printf(
            "{\"family\": \"%s\", \"level\": %d, \"pairs_to_match\": %d, \"set\": \"%s\", \"polarity\": \"%s\", "
            "\"genuine_rate\": %.4f, \"rank1_rate\": %.4f}\n",
            name.c_str(), l.level, l.pairsToMatch, jsonText(row.set).c_str(), polarityName(row.polarity),
            row.genuine.value(), row.rank1.value());
      } else {
        std::printf("%-7s %-5d %-5d %-13s %-8s  %s  %s\n", family.c_str(), l.level, l.pairsToMatch, row.set.c_str(),
                    polarityName(row.polarity), rateText(row.genuine).c_str(), rateText(row.rank1).c_str());
      }
    }
    if (json) {
      std::printf(
          "{\"family\": \"%s\", \"level\": %d, \"pairs_to_match\": %d, \"impostors_tried\": %d, "
          "\"impostors_accepted\": %d, \"largest_impostor_pairs\": %d}\n",
          name.c_str(), l.level, l.pairsToMatch, l.impostors.trials, l.impostors.hits, report.counts.largestImpostor);
    } else {
      const std::string& which = report.counts.largestImpostorPair;
      std::printf("%-7s %-5d %-5d impostors: %d tried, %d accepted; largest pair count %d%s\n", family.c_str(), l.level,
                  l.pairsToMatch, l.impostors.trials, l.impostors.hits, report.counts.largestImpostor,
                  which.empty() ? "" : (" (" + which + ")").c_str());
    }
  }
  std::fflush(stdout);
}

void printPairCounts(const std::string& family, const PairCounts& counts, bool json) {
  std::set<int> values;
  for (const auto& [count, n] : counts.genuine) values.insert(count);
  for (const auto& [count, n] : counts.impostor) values.insert(count);
  auto of = [](const std::map<int, int>& m, int count) {
    const auto it = m.find(count);
    return it == m.end() ? 0 : it->second;
  };
  if (!json)
    std::printf("%s: paired counts (-1: a record without minutiae; 0: rejected)\n%6s %8s %8s\n", family.c_str(),
                "count", "genuine", "impostor");
  for (int count : values) {
    if (json) {
      std::printf("{\"family\": \"%s\", \"pairs\": %d, \"genuine\": %d, \"impostor\": %d}\n", jsonText(family).c_str(),
                  count, of(counts.genuine, count), of(counts.impostor, count));
    } else {
      std::printf("%6d %8d %8d\n", count, of(counts.genuine, count), of(counts.impostor, count));
    }
  }
  std::fflush(stdout);
}

}  // namespace accuracy
