// Save and load of a store of 10,000 sites, each with two extra fields and a
// 100-character memo: the whole path a user waits for (renumbering, stream,
// Blowfish, the atomic write with its flushes; read, decrypt, parse).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "lockmere/crypto/Random.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/StoreCipher.h"
#include "lockmere/store/StoreStream.h"
#include "lockmere/store/UserStore.h"

namespace {

struct Fixture {
  std::string dir;
  std::string path;
  crypto::SecureBytes dataKey = crypto::SecureBytes(56);

  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-store-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    dir = pattern;
    path = dir + "/user.dat";
    crypto::randomBytes(dataKey.data(), dataKey.size());
    store::TemplateRecords records;
    tagENROLL e{};
    for (int i = 0; i < 3; ++i) records.appendRecord(store::TemplateRecords::makeRecord("bench", e).data());
    if (!store::DataFile::create(path, "bench", dataKey, records, store::fixed::programKey()))
      throw std::runtime_error("cannot create the data file");
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

void fill(store::UserStore& s) {
  for (int c = 0; c < 50; ++c) s.cates().Cates().add().Text = "Folder " + std::to_string(c);
  const std::string memo(100, 'm');
  for (int i = 0; i < 10000; ++i) {
    store::TRegSiteCollItem& site = s.sites().RegSites().add();
    const std::string n = std::to_string(i);
    site.URL = "https://www.example" + n + ".co.kr/member/login.php";
    site.Keyword = "example" + n + ".co.kr/member/login";
    site.Name = "Example " + n;
    site.ID_FormName = "loginForm";
    site.ID_Name = "user_id";
    site.ID_Value = "user" + n;
    site.PW_FormName = "loginForm";
    site.PW_Name = "user_pw";
    site.PW_Value = "Passw0rd!" + n;
    site.Description = memo;
    site.CateID = i % 60 < 50 ? i % 60 : -1;
    site.LoginType = static_cast<std::uint8_t>(1 + i % 5);
    site.LastAutoLogin = 45000.25 + i;
    for (int k = 0; k < 2; ++k) {
      store::TExtraItems& e = site.ExtraItems.add();
      e.FormName = "loginForm";
      e.Name = k ? "keep_login" : "security_level";
      e.Type_ = "TEXT";
      e.Value = k ? "Y" : "3";
    }
  }
}

void BM_StoreSave10k(benchmark::State& state) {
  Fixture f;
  store::UserStore s("bench", f.path, f.dataKey);
  s.load();
  fill(s);
  for (auto _ : state)
    if (!s.save()) state.SkipWithError(s.errorString().c_str());
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(f.path));
}

void BM_StoreLoad10k(benchmark::State& state) {
  Fixture f;
  {
    store::UserStore s("bench", f.path, f.dataKey);
    s.load();
    fill(s);
    s.save();
  }
  for (auto _ : state) {
    store::UserStore s("bench", f.path, f.dataKey);
    if (!s.load() || s.sites().RegSites().count() != 10000) state.SkipWithError("load failed");
  }
}

// Where a save's and a load's time goes: the stream, the cipher each way, the
// parse (no file I/O). Counters in milliseconds a round.
void BM_StoreStages10k(benchmark::State& state) {
  Fixture f;
  store::UserStore s("bench", f.path, f.dataKey);
  s.load();
  fill(s);
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  double write = 0, encrypt = 0, decrypt = 0, parse = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const auto bytes = store::stream::write(s.cates(), s.sites());
    const auto t1 = Clock::now();
    const auto encrypted = store::storecipher::encrypt(bytes, f.dataKey);
    const auto t2 = Clock::now();
    crypto::SecureBytes back;
    std::string error;
    store::storecipher::decrypt(encrypted.data(), encrypted.size(), f.dataKey, back, error);
    const auto t3 = Clock::now();
    const auto lists = store::stream::read(back.data(), back.size());
    const auto t4 = Clock::now();
    write += ms(t0, t1);
    encrypt += ms(t1, t2);
    decrypt += ms(t2, t3);
    parse += ms(t3, t4);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["stream_ms"] = write / n;
  state.counters["encrypt_ms"] = encrypt / n;
  state.counters["decrypt_ms"] = decrypt / n;
  state.counters["parse_ms"] = parse / n;
}

}  // namespace

BENCHMARK(BM_StoreSave10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreLoad10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreStages10k)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
