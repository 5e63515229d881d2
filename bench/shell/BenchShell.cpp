// The program as a whole. Start-up: from starting the process to its first
// window mapped on an X server of the benchmark's own, for lockmere and for a
// program that shows one label, measured the same way in the same run; the
// login window after "lockmere-send 0x806 0 0". Memory: resident set of the
// program idle and logged in with 10,000 sites. In the process: a login with
// 10,000 sites from the data key to the tree laid out, and the logout from the
// command to the key wiped (the store saved on the way).
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <thread>

#include "lockmere/shell/MainForm.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/web/ExplorerFrame.h"

namespace {

using Clock = std::chrono::steady_clock;
const QString kBin = LOCKMERE_BIN_DIR;
constexpr int kSites = 10000;

// A home of the benchmark's own with one user (and 10,000 sites in 1,000
// folders), and that user's data key.
struct Home {
  QTemporaryDir dir;
  crypto::SecureBytes dataKey;
  Home() {
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("LOCKMERE_HOME", dir.path().toUtf8());
    platform::Registry registry(platform::Registry::CurrentUser);
    account::AccountRegistry accounts(registry);
    account::AccountCreation creation(accounts, store::fixed::programKey());
    auto path = creation.create({"bench", "bench password", {}});
    if (!path) throw std::runtime_error("no user");
    auto login = store::UserDirectory(registry, store::fixed::programKey()).loginByPassword("bench", "bench password");
    dataKey = login.dataKey;
    store::UserStore session("bench", path.value(), crypto::SecureBytes(dataKey));
    session.load();
    std::vector<int> folders;
    for (int i = 0; i < 1000; ++i) {
      store::TCateItem& folder = session.cates().Cates().add();
      folder.Text = "폴더 " + std::to_string(i);
      folders.push_back(folder.ID());
    }
    for (int i = 0; i < kSites; ++i) {
      store::TRegSiteCollItem& site = session.sites().RegSites().add();
      site.Name = "사이트 Example " + std::to_string(i);
      site.URL = "https://www.example" + std::to_string(i) + ".co.kr/member/login.php";
      site.ID_Value = "user" + std::to_string(i);
      site.CateID = folders[static_cast<std::size_t>(i % 1000)];
      site.LoginType = 1;
    }
    if (!session.save()) throw std::runtime_error(session.errorString());
  }
  void setAutoLogin(bool on) {
    store::UserDirectory users(platform::Registry(platform::Registry::CurrentUser), store::fixed::programKey());
    users.writeAutoLogin("bench", dataKey, on);
  }
};

Home& home() {
  static Home h;
  return h;
}

// An X server of the benchmark's own, watched for windows being mapped.
class Display {
 public:
  Display() {
    server_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    server_.waitForReadyRead(30000);
    name_ = ":" + server_.readLine().trimmed();
    qputenv("DISPLAY", name_);
    connection_ = xcb_connect(name_.constData(), nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
  }
  ~Display() {
    xcb_disconnect(connection_);
    server_.terminate();
    server_.waitForFinished();
  }
  // Waits for a top-level window to be mapped; false after 20 s.
  bool waitForMap() {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        free(event);
        if (mapped) return true;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
  }
  void drain() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) free(event);
  }

 private:
  QProcess server_;
  QByteArray name_;
  xcb_connection_t* connection_ = nullptr;
};

Display& display() {
  static Display d;
  return d;
}

QProcessEnvironment programEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
  return env;
}

void endProgram(QProcess& process) {
  ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  if (!process.waitForFinished(20000)) {
    process.kill();
    process.waitForFinished();
  }
}

// arg 0: lockmere; arg 1: the one-label program (this benchmark with --label).
void BM_StartToWindowShown(benchmark::State& state) {
  home().setAutoLogin(false);
  Display& x = display();
  const bool label = state.range(0) == 1;
  for (auto _ : state) {
    x.drain();
    QProcess process;
    process.setProcessEnvironment(programEnvironment());
    const auto start = Clock::now();
    if (label)
      process.start(QCoreApplication::applicationFilePath(), {"--label"});
    else
      process.start(kBin + "/lockmere", {});
    if (!x.waitForMap()) state.SkipWithError("no window");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    endProgram(process);
  }
}
BENCHMARK(BM_StartToWindowShown)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_LoginWindowAfter0x806(benchmark::State& state) {
  home().setAutoLogin(false);
  Display& x = display();
  QProcess program;
  program.setProcessEnvironment(programEnvironment());
  program.start(kBin + "/lockmere", {"/Minimize"});
  std::this_thread::sleep_for(std::chrono::seconds(2));
  for (auto _ : state) {
    x.drain();
    const auto start = Clock::now();
    QProcess send;
    send.start(kBin + "/lockmere-send", {"0x806", "0", "0"});
    send.waitForFinished();
    if (!x.waitForMap()) state.SkipWithError("no login window");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    // Closing it: a second program's press would find it open and do nothing.
    endProgram(program);
    program.start(kBin + "/lockmere", {"/Minimize"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  }
  endProgram(program);
}
BENCHMARK(BM_LoginWindowAfter0x806)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

long residentKb(qint64 pid) {
  QFile status(QString("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

// arg 0: nobody logged in; arg 1: logged in (automatic login) with 10,000 sites.
void BM_ResidentMemory(benchmark::State& state) {
  home().setAutoLogin(state.range(0) == 1);
  Display& x = display();
  long kb = 0;
  for (auto _ : state) {
    x.drain();
    QProcess process;
    process.setProcessEnvironment(programEnvironment());
    process.start(kBin + "/lockmere", {});
    if (!x.waitForMap()) state.SkipWithError("no window");
    std::this_thread::sleep_for(std::chrono::seconds(2));  // settled
    kb = residentKb(process.processId());
    endProgram(process);
  }
  state.counters["RSS_MB"] = static_cast<double>(kb) / 1024.0;
  home().setAutoLogin(false);
}
BENCHMARK(BM_ResidentMemory)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

// The login from the data key to the tree laid out, 10,000 sites.
void BM_Login10k(benchmark::State& state) {
  Home& h = home();
  shell::TMainForm window;
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    window.logInWith("bench", crypto::SecureBytes(h.dataKey));
    window.explorer().TVRegSite->doItemsLayout();
    state.PauseTiming();
    if (!window.isLoggedIn() || window.session()->sites().RegSites().count() != kSites)
      state.SkipWithError("not logged in");
    window.logOut();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Login10k)->Unit(benchmark::kMillisecond)->Iterations(10);

// The logout from the command to the key wiped: save, wipe, lists freed.
void BM_Logout10k(benchmark::State& state) {
  Home& h = home();
  shell::TMainForm window;
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    state.PauseTiming();
    window.logInWith("bench", crypto::SecureBytes(h.dataKey));
    state.ResumeTiming();
    window.logOut();
    if (!window.dataKey().empty()) state.SkipWithError("key not wiped");
  }
}
BENCHMARK(BM_Logout10k)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && QByteArray(argv[1]) == "--label") {
    QApplication app(argc, argv);
    QLabel label("Lockmere");
    label.show();
    return app.exec();
  }
  qputenv("LOCKMERE_SHM_NAME", QByteArray("/lockmere-bench-") + QByteArray::number(::getpid()));
  home();
  display();
  // The in-process benchmarks draw on the same X server as the programs.
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
