// From a captured image to the data key, as the login window does it for a
// finger laid on the sensor: the image's features extracted once, every
// enrolled finger of every user searched (up to 60 in one classic search, as
// VD_Compare does; more: the fast family's guess confirmed by the classic
// comparison, else the classic search in slices of 60), then the
// owner's Key2 unwrapped under the key made from all the owner's records and
// the data key checked against the owner's data file. Users are made by the
// account tools' code; the matching finger is the last record.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "lockmere/bio/EnrollmentLevel.h"
#include "lockmere/bio/GuidedRecordSearch.h"
#include "lockmere/bio/Verify.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "platform/Registry.h"
#include "ridgeport/sim/GreyImage.h"

namespace {

constexpr int kFingersPerUser = 10;
const char* const kSet = LOCKMERE_FINGERPRINTS_DIR "/fvc2002_db1_b/";
// Fingers that enroll from impressions 1-3; the last one is laid (impression 5).
const std::vector<std::string> kOthers{"104", "105", "107", "109", "102"};
const std::string kProbeFinger = "108";

std::vector<unsigned char> image(const std::string& finger, int impression) {
  auto grey = ridgeport::sim::GreyImage::loadPgm(kSet + finger + "_" + std::to_string(impression) + ".pgm");
  if (grey.empty()) throw std::runtime_error("no image of finger " + finger);
  return grey.inverted().pixels;
}

tagENROLL enrolled(const account::ImageEnroller& enroller, const std::string& finger) {
  const auto a = image(finger, 1), b = image(finger, 2), c = image(finger, 3);
  auto t = enroller.enroll({a.data(), b.data(), c.data()}, bio::kProgramEnrollmentLevel);
  if (!t) throw std::runtime_error("finger " + finger + " does not enroll");
  return *t;
}

// users enrolled fingers in all, ten a user; the probe's finger last.
struct Enrolled {
  std::string home;
  std::unique_ptr<platform::Registry> registry;
  std::unique_ptr<store::UserDirectory> directory;
  store::TemplateRecords all;
  std::unique_ptr<bio::GuidedRecordSearch> search;

  explicit Enrolled(int fingers) {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-users-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    home = pattern;
    ::setenv("LOCKMERE_HOME", home.c_str(), 1);
    registry = std::make_unique<platform::Registry>(platform::Registry::CurrentUser);

    account::ImageEnroller enroller;
    std::vector<tagENROLL> others;
    for (const auto& f : kOthers) others.push_back(enrolled(enroller, f));
    const tagENROLL probeFinger = enrolled(enroller, kProbeFinger);

    account::AccountRegistry accounts(*registry);
    account::AccountCreation creation(accounts, store::fixed::programKey());
    for (int made = 0, user = 0; made < fingers; ++user) {
      account::NewAccount a{"user" + std::to_string(1000 + user), "password", {}};
      for (int i = 0; i < kFingersPerUser && made < fingers; ++i, ++made)
        a.fingers.push_back(made == fingers - 1 ? probeFinger : others[made % others.size()]);
      if (!creation.create(a)) throw std::runtime_error("cannot create " + a.id);
    }
    directory = std::make_unique<store::UserDirectory>(*registry, store::fixed::programKey());
    all = directory->loadAllRecords();
    if (int(all.count()) != fingers) throw std::runtime_error("not every record was loaded");
    search = std::make_unique<bio::GuidedRecordSearch>(all.data(), all.count());
    if (!search->isLoaded()) throw std::runtime_error(search->errorString());
    search->prepare();  // done by the verification thread before it waits for a finger
  }
  ~Enrolled() { std::filesystem::remove_all(home); }
};

Enrolled& enrolledFingers(int fingers) {
  static std::map<int, std::unique_ptr<Enrolled>> made;
  auto& e = made[fingers];
  if (!e) e = std::make_unique<Enrolled>(fingers);
  return *e;
}

const std::vector<unsigned char>& probeImage() {
  static const auto probe = image(kProbeFinger, 5);
  return probe;
}

const bio::RecordSearch& classic() { return enrolledFingers(1).search->classic(); }

void BM_ImageToDataKey(benchmark::State& state) {
  Enrolled& e = enrolledFingers(int(state.range(0)));
  for (auto _ : state) {
    auto probe = e.search->classic().extract(probeImage().data());
    if (!probe) return state.SkipWithError("the image does not extract");
    const int n = int(e.all.count());
    const auto hit =
        bio::TVerify::searchesInSlices(n, int(bio::RecordSearch::kRecordSize), int(bio::RecordSearch::kHeaderSize))
            ? e.search->identify(*probe)
            : e.search->classic().identify(*probe, e.all.data(), e.all.count());
    if (hit.index != int(e.all.count()) - 1) return state.SkipWithError("the finger was not found where it is");
    auto login = e.directory->loginByFingerprint(e.all, std::size_t(hit.index));
    if (!login) return state.SkipWithError("the data key did not unwrap");
    benchmark::DoNotOptimize(login->dataKey.data());
  }
  state.counters["guessable"] = double(e.search->guessable());
}
BENCHMARK(BM_ImageToDataKey)->Arg(1)->Arg(60)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The stages on their own.
void BM_Extract(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(classic().extract(probeImage().data()));
}
BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond);

// The guided search, and the classic search in slices alone (what a finger
// the guess misses costs, and what every round cost without the guess).
void BM_GuidedSearch(benchmark::State& state) {
  Enrolled& e = enrolledFingers(int(state.range(0)));
  const auto probe = classic().extract(probeImage().data());
  for (auto _ : state) benchmark::DoNotOptimize(e.search->identify(*probe));
}
BENCHMARK(BM_GuidedSearch)->Arg(1)->Arg(60)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ClassicSearchInSlices(benchmark::State& state) {
  Enrolled& e = enrolledFingers(int(state.range(0)));
  const auto probe = classic().extract(probeImage().data());
  for (auto _ : state) benchmark::DoNotOptimize(classic().identify(*probe, e.all.data(), e.all.count()));
}
BENCHMARK(BM_ClassicSearchInSlices)->Arg(60)->Arg(1000)->Unit(benchmark::kMillisecond);

// Building the guess's index, once a verification.
void BM_PrepareGuesses(benchmark::State& state) {
  Enrolled& e = enrolledFingers(int(state.range(0)));
  for (auto _ : state) {
    bio::GuidedRecordSearch search(e.all.data(), e.all.count());
    search.prepare();
    benchmark::DoNotOptimize(search.guessable());
  }
}
BENCHMARK(BM_PrepareGuesses)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_UnwrapByFingerprint(benchmark::State& state) {
  Enrolled& e = enrolledFingers(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(e.directory->loginByFingerprint(e.all, e.all.count() - 1));
}
BENCHMARK(BM_UnwrapByFingerprint)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The algorithm library sits with the programs, not with the benchmarks.
  ::setenv("LOCKMERE_LIB_DIR", LOCKMERE_BIN_DIR, 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
