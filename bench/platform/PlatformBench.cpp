// What the platform layer costs the program: registry reads and writes (one
// transaction each), a status block write (map, store, unmap) and a message sent
// to a window of another thread.
//
//   build/bench/bench_platform --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <future>

#include "platform/Registry.h"
#include "platform/RegistryTransaction.h"
#include "platform/StatusBlock.h"
#include "platform/bus/MessageBus.h"
#include "platform/bus/MessageReceiver.h"

namespace {

std::string benchDir() {
  static const std::string dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "lockmere-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return dir;
}

platform::RegistryKey userKey(platform::Registry& reg) {
  auto key = reg.createKey("\\Software\\Veradynics\\Lockmere\\Users\\alice");
  if (!key) std::abort();
  return key.value();
}

void BM_RegistryReadString(benchmark::State& state) {
  platform::Registry reg(benchDir() + "/read.sqlite", platform::Registry::OpenMode::ReadWrite);
  auto key = userKey(reg);
  key.writeString("DataFile", "/home/alice/.config/Veradynics/alice.dat");
  for (auto _ : state) benchmark::DoNotOptimize(key.readString("datafile"));
}
BENCHMARK(BM_RegistryReadString);

void BM_RegistryOpenKeyPath(benchmark::State& state) {
  platform::Registry reg(benchDir() + "/open.sqlite", platform::Registry::OpenMode::ReadWrite);
  userKey(reg);
  for (auto _ : state) benchmark::DoNotOptimize(reg.openKey("\\software\\veradynics\\lockmere\\users\\ALICE"));
}
BENCHMARK(BM_RegistryOpenKeyPath);

// Each write is a durable transaction (the file is synced): the price of a setting.
void BM_RegistryWriteInteger(benchmark::State& state) {
  platform::Registry reg(benchDir() + "/write.sqlite", platform::Registry::OpenMode::ReadWrite);
  auto key = userKey(reg);
  std::int32_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(key.writeInteger("Width", ++i));
}
BENCHMARK(BM_RegistryWriteInteger)->Unit(benchmark::kMicrosecond);

void BM_RegistryWriteKeyBlock(benchmark::State& state) {
  platform::Registry reg(benchDir() + "/block.sqlite", platform::Registry::OpenMode::ReadWrite);
  auto key = userKey(reg);
  std::vector<std::uint8_t> block(112, 0x5A);
  for (auto _ : state) {
    ++block[0];  // SQLite skips the disk for a write that changes nothing
    benchmark::DoNotOptimize(key.writeBinary("Key1", block));
  }
}
BENCHMARK(BM_RegistryWriteKeyBlock)->Unit(benchmark::kMicrosecond);

// The five values of a store save, as one transaction.
void BM_RegistryFiveWritesInOneTransaction(benchmark::State& state) {
  platform::Registry reg(benchDir() + "/batch.sqlite", platform::Registry::OpenMode::ReadWrite);
  auto key = userKey(reg);
  std::int32_t i = 0;
  for (auto _ : state) {
    platform::RegistryTransaction tx(reg);
    for (const char* name : {"Width", "Height", "LastLoginID", "LastWindowLeft", "LastWindowTop"})
      key.writeInteger(name, ++i);
    benchmark::DoNotOptimize(tx.commit());
  }
}
BENCHMARK(BM_RegistryFiveWritesInOneTransaction)->Unit(benchmark::kMicrosecond);

void BM_StatusBlockWrite(benchmark::State& state) {
  platform::StatusBlock block("/lockmere-bench-" + std::to_string(::getpid()));
  if (!block.create(0x10001)) {
    state.SkipWithError(block.errorString().c_str());
    return;
  }
  bool on = false;
  for (auto _ : state) benchmark::DoNotOptimize(block.setLoggedIn(on = !on));
}
BENCHMARK(BM_StatusBlockWrite);

// A window in a thread of its own, as the fingerprint utility's hidden window is.
class WindowThread : public QThread {
 public:
  platform::WindowHandle start() {
    QThread::start();
    return handle_.get_future().get();
  }

 protected:
  void run() override {
    platform::MessageReceiver window([](const platform::Message& m) -> std::int64_t { return m.wParam + 1; });
    handle_.set_value(window.handle());
    exec();
  }

 private:
  std::promise<platform::WindowHandle> handle_;
};

void BM_SendToAnotherThread(benchmark::State& state) {
  WindowThread thread;
  platform::WindowHandle window = thread.start();
  std::int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(platform::MessageBus::send(window, platform::msg::kVerified, ++i));
  thread.quit();
  thread.wait();
}
BENCHMARK(BM_SendToAnotherThread)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(benchDir());
  return 0;
}
