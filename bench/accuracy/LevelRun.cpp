#include "bench/accuracy/LevelRun.h"

#include <memory>

namespace accuracy {
namespace {

// One stored record or fresh impression of a comparison, wherever it lies.
struct Impression {
  const PreparedSet* set;
  size_t finger, impression;

  const std::optional<Bytes>& record() const { return set->records[finger][impression]; }
  std::string name(Polarity polarity) const {
    return set->set->name + "/" + polarityName(polarity) + " " + set->image(finger, impression);
  }
  bool sameFinger(const Impression& other) const { return set == other.set && finger == other.finger; }
};

class LevelProtocol {
 public:
  LevelProtocol(MatcherFamily& family, const Note& note) : family_(family), note_(note) {}

  LevelReport run(const std::vector<PolaritySets>& data, const std::vector<int>& levels) {
    std::vector<std::vector<PreparedSet>> prepared;
    for (const PolaritySets& group : data) {
      std::vector<PreparedSet>& sets = prepared.emplace_back();
      for (const FingerprintSet& set : group.sets) {
        const Note note = [&](const std::string& line) {
          note_(family_.name() + " " + set.name + "/" + polarityName(group.polarity) + ": " + line);
        };
        sets.push_back(extractSet(family_, set, note));
        enrollSet(family_, sets.back(), note);
      }
      countPairs(sets, group.polarity);
    }
    for (int level : levels) {
      LevelFigures& figures = report_.levels.emplace_back();
      figures.level = level;
      figures.pairsToMatch = family_.pairsToMatch(level);
      for (size_t g = 0; g < data.size(); ++g) {
        for (const PreparedSet& set : prepared[g]) figures.rows.push_back(setRow(set, data[g].polarity, level));
        impostors(prepared[g], data[g].polarity, level, figures.impostors);
      }
    }
    return std::move(report_);
  }

 private:
  // Every impression of every set of a polarity.
  static std::vector<Impression> impressionsOf(const std::vector<PreparedSet>& sets) {
    std::vector<Impression> all;
    for (const PreparedSet& set : sets) {
      for (size_t f = 0; f < set.records.size(); ++f) {
        for (size_t i = 0; i < set.records[f].size(); ++i) all.push_back({&set, f, i});
      }
    }
    return all;
  }

  // A completed template holding one record, at `level`.
  Bytes templateOf(const std::optional<Bytes>& record, int level) {
    const std::optional<Bytes> none;
    Bytes templ = family_.assembleTemplate({&record, &none, &none});
    family_.setLevel(templ, level);
    return templ;
  }

  void countPairs(const std::vector<PreparedSet>& sets, Polarity polarity) {
    const std::vector<Impression> all = impressionsOf(sets);
    PairCounts& counts = report_.counts;
    for (const Impression& stored : all) {
      if (!stored.record()) continue;
      for (const Impression& fresh : all) {
        if (!fresh.record() || (stored.sameFinger(fresh) && stored.impression >= fresh.impression)) continue;
        const int count = family_.pairCount(*stored.record(), *fresh.record());
        if (stored.sameFinger(fresh)) {
          ++counts.genuine[count];
          continue;
        }
        ++counts.impostor[count];
        if (count > counts.largestImpostor) {
          // A count of 0 or less names no comparison: nothing was paired.
          counts.largestImpostor = count;
          counts.largestImpostorPair = count > 0 ? stored.name(polarity) + " x " + fresh.name(polarity) : "";
        }
      }
    }
  }

  // Genuine pairs (a pair with a missing record counts as missed) and rank-1 of one set.
  LevelRow setRow(const PreparedSet& set, Polarity polarity, int level) {
    LevelRow row{set.set->name, polarity, {}, {}};
    const std::string where = set.set->name + "/" + polarityName(polarity) + " ";
    for (size_t f = 0; f < set.records.size(); ++f) {
      const Records& r = set.records[f];
      for (size_t i = 0; i < r.size(); ++i) {
        const Bytes templ = templateOf(r[i], level);
        for (size_t j = i + 1; j < r.size(); ++j) {
          const bool hit = r[i] && r[j] && family_.matchesTemplate(templ, *r[j]);
          row.genuine.add(hit);
          if (!hit) noteAt(level, "genuine pair not matched: " + where + set.image(f, i) + " " + set.image(f, j));
        }
      }
    }
    PreparedSet levelled = set;
    for (Bytes& templ : levelled.templates) family_.setLevel(templ, level);
    row.rank1 = identify(family_, levelled, [&](const std::string& line) { noteAt(level, where + line); });
    return row;
  }

  // Every impression against every impression of every other finger of the
  // polarity, in its own set and in the others, both orders.
  void impostors(const std::vector<PreparedSet>& sets, Polarity polarity, int level, Rate& out) {
    const std::vector<Impression> all = impressionsOf(sets);
    for (const Impression& stored : all) {
      if (!stored.record()) continue;
      const Bytes templ = templateOf(stored.record(), level);
      for (const Impression& fresh : all) {
        if (!fresh.record() || stored.sameFinger(fresh)) continue;
        const bool hit = family_.matchesTemplate(templ, *fresh.record());
        out.add(hit);
        if (hit) noteAt(level, "impostor accepted: " + stored.name(polarity) + " x " + fresh.name(polarity));
      }
    }
  }

  void noteAt(int level, const std::string& line) {
    note_(family_.name() + " level " + std::to_string(level) + ": " + line);
  }

  MatcherFamily& family_;
  const Note& note_;
  LevelReport report_;
};

}  // namespace

LevelReport measureLevels(MatcherFamily& family, const std::vector<PolaritySets>& data, const std::vector<int>& levels,
                          const Note& note) {
  return LevelProtocol(family, note).run(data, levels);
}

}  // namespace accuracy
