// How often the fast family decides as the classic family does, on the real
// fingerprints beside the repository (both sample sets, each in the sensor's
// polarity and once as stored): 1:1 decisions under the competitions'
// protocol, enrollment of three impressions per finger, and identification
// of the other impressions among the enrolled fingers of a set.
//
//   build/bench/fast_agreement [fingerprints folder]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "enroll/CheckNewImpression.h"
#include "enroll/SearchTemplates.h"
#include "extract/ExtractFeatures.h"
#include "fast/FastEnroll.h"
#include "fast/FastForm.h"
#include "fast/FastMatch.h"
#include "fast/FastSearch.h"
#include "match/MatchFeatureSets.h"
#include "tools/GreyImageFile.h"

using namespace ridgecore;

namespace {

constexpr int kImpressions = 8;
constexpr int kClassicMatch = 12;  // VD_CompareFData1to1
constexpr int kFastMatch = 11;     // VD_Fast_CompareFData1to1

struct Impression {
  bool extracted = false;
  tagFDATA record{};
  tagFASTFDATA fast{};
};

using Finger = std::vector<Impression>;  // impressions 1..8

std::vector<Finger> loadSet(const std::string& folder, bool invert) {
  std::vector<Finger> fingers;
  const std::vector<std::string> files = tools::listImages(folder);
  for (size_t k = 0; k < files.size(); ++k) {
    if (k % kImpressions == 0) fingers.emplace_back();
    std::vector<uint8_t> pixels;
    std::string error;
    Impression im;
    if (tools::readGreyImage(files[k], pixels, error)) {
      if (invert) tools::invertImage(pixels);
      im.extracted = extractFeatures(pixels.data(), im.record, nullptr) == kExtracted;
      std::memcpy(im.record.mark, "1040DV", 6);
      ToFastForm(im.record, im.fast);
    }
    fingers.back().push_back(im);
  }
  return fingers;
}

struct Decisions {
  int pairs = 0, classic = 0, fast = 0, both = 0, agree = 0;
  void add(bool c, bool f) {
    ++pairs;
    classic += c;
    fast += f;
    both += c && f;
    agree += c == f;
  }
  void print(const char* what) const {
    std::printf("  %-9s %4d pairs: classic %3d, fast %3d, both %3d; same decision %4d (%.1f %%)\n", what, pairs,
                classic, fast, both, agree, pairs ? 100.0 * agree / pairs : 0.0);
  }
};

bool classicMatch(const Impression& first, const Impression& second) {
  return MatchFeatureSets(&second.record, &first.record) >= kClassicMatch;  // the second is scanned
}
bool fastMatch(const Impression& first, const Impression& second) {
  return FastMatch(first.fast, second.fast) >= kFastMatch;  // the first is the stored side
}

void compareOneToOne(const std::vector<Finger>& fingers) {
  Decisions genuine, impostor;
  for (const Finger& f : fingers) {
    for (int a = 0; a < kImpressions; ++a) {
      for (int b = a + 1; b < kImpressions; ++b) {
        if (f[a].extracted && f[b].extracted) genuine.add(classicMatch(f[a], f[b]), fastMatch(f[a], f[b]));
      }
    }
  }
  for (size_t i = 0; i < fingers.size(); ++i) {
    for (size_t j = 0; j < fingers.size(); ++j) {
      const Impression &a = fingers[i][0], &b = fingers[j][0];
      if (i != j && a.extracted && b.extracted) impostor.add(classicMatch(a, b), fastMatch(a, b));
    }
  }
  genuine.print("genuine");
  impostor.print("impostor");
}

// A template per finger from its impressions in order, each family with its
// own rule; records the impressions used.
struct Enrolled {
  tagENROLL classic{};
  tagFASTENROLL fast{};
  bool classicDone = false, fastDone = false;
  std::vector<int> classicUsed, fastUsed;
};

template <typename Template, typename Rule>
bool enrollWith(const Finger& f, Template& t, std::vector<int>& used, Rule rule, int refusals[3]) {
  std::memset(&t, 0, sizeof t);
  int slot = 0;
  for (int k = 0; k < kImpressions && slot < 3; ++k) {
    if (!f[k].extracted) continue;
    rule.put(t, slot, f[k]);
    t.flags[slot] = 0;
    const EnrollVerdict v = rule.check(t, slot);
    ++refusals[int(v)];
    if (v != EnrollVerdict::Accepted) continue;
    t.flags[slot++] = 1;
    used.push_back(k);
  }
  t.magic = RIDGECORE_ENROLL_MAGIC;
  return slot == 3;
}

struct ClassicRule {
  void put(tagENROLL& t, int slot, const Impression& im) { t.slot[slot] = im.record; }
  EnrollVerdict check(const tagENROLL& t, int slot) { return CheckNewImpression(t, slot, ImpressionSource::Image); }
};
struct FastRule {
  void put(tagFASTENROLL& t, int slot, const Impression& im) { t.slot[slot] = im.fast; }
  EnrollVerdict check(const tagFASTENROLL& t, int slot) { return CheckNewFastImpression(t, slot); }
};

bool uses(const std::vector<int>& used, int k) { return std::find(used.begin(), used.end(), k) != used.end(); }

void enrollAndIdentify(const std::vector<Finger>& fingers) {
  std::vector<Enrolled> enrolled(fingers.size());
  int classicVerdicts[3] = {}, fastVerdicts[3] = {};
  int classicDone = 0, fastDone = 0, bothDone = 0;
  for (size_t i = 0; i < fingers.size(); ++i) {
    Enrolled& e = enrolled[i];
    e.classicDone = enrollWith(fingers[i], e.classic, e.classicUsed, ClassicRule{}, classicVerdicts);
    e.fastDone = enrollWith(fingers[i], e.fast, e.fastUsed, FastRule{}, fastVerdicts);
    classicDone += e.classicDone;
    fastDone += e.fastDone;
    bothDone += e.classicDone && e.fastDone;
  }
  std::printf("  enrolled  %zu fingers: classic %d, fast %d, both %d\n", fingers.size(), classicDone, fastDone,
              bothDone);
  std::printf("            verdicts (not same finger / accepted / not moved): classic %d/%d/%d, fast %d/%d/%d\n",
              classicVerdicts[0], classicVerdicts[1], classicVerdicts[2], fastVerdicts[0], fastVerdicts[1],
              fastVerdicts[2]);
  // Every completed template, whatever the other family made of the finger.
  std::vector<tagENROLL> classicList;
  std::vector<tagFASTENROLL> fastList;
  std::vector<int> classicOwner, fastOwner;
  for (size_t i = 0; i < fingers.size(); ++i) {
    if (enrolled[i].classicDone) classicList.push_back(enrolled[i].classic), classicOwner.push_back(int(i));
    if (enrolled[i].fastDone) fastList.push_back(enrolled[i].fast), fastOwner.push_back(int(i));
  }
  int probes = 0, classicRight = 0, fastRight = 0, classicWrong = 0, fastWrong = 0, same = 0;
  for (size_t i = 0; i < fingers.size(); ++i) {
    for (int k = 0; k < kImpressions; ++k) {
      const Impression& im = fingers[i][k];
      if (!im.extracted || uses(enrolled[i].classicUsed, k) || uses(enrolled[i].fastUsed, k)) continue;
      ++probes;
      int ci = -1, fi = -1, score = 0;
      SearchTemplates(im.record, reinterpret_cast<const unsigned char*>(classicList.data()), int(classicList.size()),
                      int(sizeof(tagENROLL)), 0, &ci, &score);
      SearchFastTemplates(im.fast, reinterpret_cast<const unsigned char*>(fastList.data()), int(fastList.size()),
                          int(sizeof(tagFASTENROLL)), 0, &fi, &score);
      const int c = ci < 0 ? -1 : classicOwner[size_t(ci)];
      const int f = fi < 0 ? -1 : fastOwner[size_t(fi)];
      classicRight += c == int(i);
      fastRight += f == int(i);
      classicWrong += c >= 0 && c != int(i);
      fastWrong += f >= 0 && f != int(i);
      same += c == f;
    }
  }
  std::printf("  identify  %d probes: right classic %d, fast %d; wrong classic %d, fast %d; same answer %d (%.1f %%)\n",
              probes, classicRight, fastRight, classicWrong, fastWrong, same, probes ? 100.0 * same / probes : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = argc > 1 ? argv[1] : LOCKMERE_FINGERPRINTS_DIR;
  for (const char* set : {"fvc2000_db1_b", "fvc2002_db1_b"}) {
    for (bool invert : {true, false}) {
      const std::vector<Finger> fingers = loadSet(root + "/" + set, invert);
      int extracted = 0, total = 0;
      for (const Finger& f : fingers) {
        for (const Impression& im : f) extracted += im.extracted, ++total;
      }
      std::printf("%s, %s: %d of %d images extracted\n", set, invert ? "sensor polarity" : "as stored", extracted,
                  total);
      compareOneToOne(fingers);
      enrollAndIdentify(fingers);
    }
  }
  return 0;
}
