// accuracy: the accuracy of Ridgecore's families over the real fingerprint
// sets, in both polarities. One table, or with --json one object a line.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/accuracy/AccuracyRun.h"
#include "bench/accuracy/FingerprintSets.h"
#include "bench/accuracy/LevelRun.h"
#include "bench/accuracy/LevelTable.h"
#include "bench/accuracy/MatcherFamily.h"
#include "ridgecore.h"

using namespace accuracy;

namespace {

struct Arguments {
  std::string data = LOCKMERE_FINGERPRINTS_DIR;
  bool json = false;
  bool failures = false;
  std::vector<int> levels;  // the level report for these; none: the protocol's table
  bool counts = false;
  std::vector<std::string> families;
  std::vector<Polarity> polarities{Polarity::Sensor, Polarity::Stored};
  FamilyOptions options;
};

// The command-line names of an option's values.
template <typename Value>
struct Named {
  const char* name;
  Value value;
};

constexpr Named<ridgecore::FilterGain> kGains[] = {
    {"kernel-sum", ridgecore::FilterGain::KernelSum},
    {"absolute-kernel-sum", ridgecore::FilterGain::AbsoluteKernelSum},
    {"zero-mean-tuned-gain", ridgecore::FilterGain::ZeroMeanTunedGain},
};
constexpr Named<ridgecore::RotationDisagreement> kDisagreements[] = {
    {"as-written", ridgecore::RotationDisagreement::AsWritten},
    {"same-sense", ridgecore::RotationDisagreement::SameSense},
};

template <typename Value, size_t N>
const char* nameOf(const Named<Value> (&names)[N], Value value) {
  for (const Named<Value>& n : names) {
    if (n.value == value) return n.name;
  }
  return "?";
}

// Sets `out` to the value named `text`; false (after a message) when there is none.
template <typename Value, size_t N>
bool choose(const Named<Value> (&names)[N], const std::string& text, const char* what, Value& out) {
  for (const Named<Value>& n : names) {
    if (text == n.name) {
      out = n.value;
      return true;
    }
  }
  std::fprintf(stderr, "accuracy: unknown %s %s\n", what, text.c_str());
  return false;
}

void usage(FILE* out) {
  std::fprintf(out,
               "usage: accuracy [--data DIR] [--json] [--family NAME]... [--polarity sensor|stored]\n"
               "                [--filter-gain kernel-sum|absolute-kernel-sum|zero-mean-tuned-gain]\n"
               "                [--rotation-disagreement as-written|same-sense] [--structure-gate]\n"
               "                [--failures] [--level N | --levels] [--counts]\n"
               "  --data DIR      folder of sets (one subfolder per set, files FFF_I.pgm); default %s\n"
               "  --json          one JSON object a line instead of the table\n"
               "  --family NAME   only this family (default: every family)\n"
               "  --polarity P    only this polarity: sensor (ridges bright, the images inverted) or stored\n"
               "  --filter-gain G the oriented filter's normalisation (an experiment; default absolute-kernel-sum)\n"
               "  --rotation-disagreement R  how the matcher compares its two rotation estimates\n"
               "                  (an experiment; default as-written)\n"
               "  --structure-gate  no minutiae in blocks the structure check rejects (an experiment)\n"
               "  --failures      list failing pairs, fingers and probes on standard error\n"
               "  --level N       the security level report for templates of level N (1..5): genuine rate and\n"
               "                  rank-1 per set, every comparison of two different fingers (within and across\n"
               "                  sets) with the largest paired count any of them reached\n"
               "  --levels        the same for every level\n"
               "  --counts        with --level or --levels: how often each paired count came out\n",
               LOCKMERE_FINGERPRINTS_DIR);
}

// Returns false (after a message) on a bad command line.
bool parse(int argc, char** argv, Arguments& a, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--json") {
      a.json = true;
    } else if (arg == "--structure-gate") {
      a.options.extraction.structureGate = true;
    } else if (arg == "--failures") {
      a.failures = true;
    } else if (arg == "--levels") {
      a.levels = {1, 2, 3, 4, 5};
    } else if (arg == "--counts") {
      a.counts = true;
    } else if (arg == "--level" && hasValue) {
      const std::string text = argv[++i];
      if (text.size() != 1 || text[0] < '0' + VD_SECURITYMIN || text[0] > '0' + VD_SECURITYMAX) {
        std::fprintf(stderr, "accuracy: a level is %d..%d, not %s\n", VD_SECURITYMIN, VD_SECURITYMAX, text.c_str());
        return false;
      }
      a.levels = {text[0] - '0'};
    } else if (arg == "--data" && hasValue) {
      a.data = argv[++i];
    } else if (arg == "--family" && hasValue) {
      a.families.push_back(argv[++i]);
    } else if (arg == "--polarity" && hasValue) {
      const std::string p = argv[++i];
      if (p != "sensor" && p != "stored") {
        std::fprintf(stderr, "accuracy: unknown polarity %s\n", p.c_str());
        return false;
      }
      a.polarities = {p == "sensor" ? Polarity::Sensor : Polarity::Stored};
    } else if (arg == "--filter-gain" && hasValue) {
      if (!choose(kGains, argv[++i], "filter gain", a.options.extraction.filterGain)) return false;
    } else if (arg == "--rotation-disagreement" && hasValue) {
      if (!choose(kDisagreements, argv[++i], "rotation disagreement", a.options.matching.rotationDisagreement)) {
        return false;
      }
    } else {
      std::fprintf(stderr, "accuracy: unknown or incomplete argument %s\n", arg.c_str());
      return false;
    }
  }
  if (a.families.empty()) a.families = familyNames();
  if (a.counts && a.levels.empty()) {
    std::fprintf(stderr, "accuracy: --counts goes with --level or --levels\n");
    return false;
  }
  return true;
}

void printRow(const std::string& set, const std::string& family, Polarity polarity, const AccuracyFigures& f,
              bool json) {
  if (json) {
    std::printf(
        "{\"set\": \"%s\", \"family\": \"%s\", \"polarity\": \"%s\", \"genuine_rate\": %.4f, \"impostor_rate\": "
        "%.4f, \"enroll_rate\": %.4f, \"rank1_rate\": %.4f}\n",
        jsonText(set).c_str(), jsonText(family).c_str(), polarityName(polarity), f.genuine.value(), f.impostor.value(),
        f.enroll.value(), f.rank1.value());
    return;
  }
  std::printf("%-13s %-7s %-7s %5s  %s  %s  %s  %s  %s  %s\n", set.c_str(), family.c_str(), polarityName(polarity),
              (std::to_string(f.extracted.hits) + "/" + std::to_string(f.extracted.trials)).c_str(),
              rateText(f.genuine).c_str(), rateText(f.impostor).c_str(), rateText(f.enroll).c_str(),
              rateText(f.rank1).c_str(), rateText(f.second).c_str(), rateText(f.foreign).c_str());
}

void printOptions(const FamilyOptions& options) {
  std::printf(
      "filter gain: %s, rotation disagreement: %s, structure gate: %s\n", nameOf(kGains, options.extraction.filterGain),
      nameOf(kDisagreements, options.matching.rotationDisagreement), options.extraction.structureGate ? "on" : "off");
}

// Every family over the sets of both polarities at once (impostors are
// counted across sets too).
int levelReport(const Arguments& args) {
  std::vector<PolaritySets> data;
  for (Polarity polarity : args.polarities) {
    data.push_back({polarity, loadSets(args.data, polarity)});
    if (data.back().sets.empty()) {
      std::fprintf(stderr, "accuracy: no sets of images in %s\n", args.data.c_str());
      return 1;
    }
  }
  if (!args.json) {
    printOptions(args.options);
    printLevelHeader();
  }
  for (const std::string& name : args.families) {
    std::unique_ptr<MatcherFamily> family = makeFamily(name, args.options);
    const Note note = [&](const std::string& line) {
      if (args.failures) std::fprintf(stderr, "%s\n", line.c_str());
    };
    const LevelReport report = measureLevels(*family, data, args.levels, note);
    printLevels(name, report, args.json);
    if (args.counts) printPairCounts(name, report.counts, args.json);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  bool help = false;
  if (!parse(argc, argv, args, help)) {
    usage(stderr);
    return 2;
  }
  if (help) {
    usage(stdout);
    return 0;
  }
  for (const std::string& name : args.families) {
    if (!makeFamily(name, args.options)) {
      std::fprintf(stderr, "accuracy: unknown family %s\n", name.c_str());
      return 2;
    }
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(args.data, ec)) {
    std::fprintf(stderr, "accuracy: %s is not a folder of sets\n", args.data.c_str());
    return 1;
  }
  try {
    if (!args.levels.empty()) return levelReport(args);
    if (!args.json) {
      printOptions(args.options);
      std::printf("%-13s %-7s %-7s %5s  %-14s  %-14s  %-14s  %-14s  %-14s  %-14s\n", "set", "family", "polarity",
                  "taken", "genuine", "impostor", "enroll", "rank-1", "2nd accepted", "foreign 2nd");
    }
    for (Polarity polarity : args.polarities) {
      const std::vector<FingerprintSet> sets = loadSets(args.data, polarity);
      if (sets.empty()) {
        std::fprintf(stderr, "accuracy: no sets of images in %s\n", args.data.c_str());
        return 1;
      }
      for (const FingerprintSet& set : sets) {
        for (const std::string& name : args.families) {
          std::unique_ptr<MatcherFamily> family = makeFamily(name, args.options);
          std::vector<std::string> failures;
          const AccuracyFigures figures = measureAccuracy(*family, set, args.failures ? &failures : nullptr);
          printRow(set.name, name, polarity, figures, args.json);
          std::fflush(stdout);
          for (const std::string& line : failures)
            std::fprintf(stderr, "%s %s\n", polarityName(polarity), line.c_str());
        }
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "accuracy: %s\n", e.what());
    return 1;
  }
  return 0;
}
