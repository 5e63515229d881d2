#include <QThread>
#include <QtTest>
#include <atomic>
#include <future>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/bus/MessageBus.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/support/TestEnv.h"

using platform::Message;
using platform::MessageBus;
using platform::MessageReceiver;
using platform::WindowHandle;
using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 60000;  // generous: the machine is shared

// A thread with an event loop and one receiver living in it.
class ReceiverThread : public QThread {
 public:
  explicit ReceiverThread(platform::MessageHandler handler) : handler_(std::move(handler)) {}
  WindowHandle startAndWait() {
    start();
    return handle_.get_future().get();
  }
  void stop() {
    quit();
    wait();
  }

 protected:
  void run() override {
    MessageReceiver receiver(handler_);
    handle_.set_value(receiver.handle());
    exec();
  }

 private:
  platform::MessageHandler handler_;
  std::promise<WindowHandle> handle_;
};

// A thread that owns a receiver but runs no event loop until told to destroy it:
// a window whose thread is busy.
class BusyOwner {
 public:
  BusyOwner(platform::MessageHandler handler) {
    thread_ = std::thread([this, handler] {
      auto* receiver = new MessageReceiver(handler);
      handle_.set_value(receiver->handle());
      release_.get_future().wait();
      delete receiver;
    });
  }
  ~BusyOwner() {
    releaseReceiver();
    thread_.join();
  }
  WindowHandle handle() { return handleFuture_.get(); }
  void releaseReceiver() {
    if (!released_.exchange(true)) release_.set_value();
  }

 private:
  std::promise<WindowHandle> handle_;
  std::shared_future<WindowHandle> handleFuture_ = handle_.get_future().share();
  std::promise<void> release_;
  std::atomic<bool> released_{false};
  std::thread thread_;
};

}  // namespace

class MessageBusTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testenv::isolateHome(); }

  void handlesAreNonzeroDistinctAndNotReusedSoon() {
    std::set<WindowHandle> earlier;
    {
      std::vector<std::unique_ptr<MessageReceiver>> windows;
      for (int i = 0; i < 200; ++i) {
        windows.push_back(std::make_unique<MessageReceiver>());
        QVERIFY(windows.back()->handle() != 0);
        earlier.insert(windows.back()->handle());
        QVERIFY(MessageBus::isWindow(windows.back()->handle()));
      }
      QCOMPARE(earlier.size(), std::size_t(200));
    }
    for (WindowHandle h : earlier) QVERIFY(!MessageBus::isWindow(h));
    for (int i = 0; i < 200; ++i) {
      MessageReceiver later;
      QVERIFY(!earlier.count(later.handle()));
    }
    WindowHandle browser = MessageBus::allocateHandle();
    QVERIFY(browser != 0 && !earlier.count(browser));
    QVERIFY(MessageBus::isWindow(browser));
    MessageBus::releaseHandle(browser);
    QVERIFY(!MessageBus::isWindow(browser));

    MessageReceiver window;
    MessageBus::releaseHandle(window.handle());  // not given up from outside
    QVERIFY(MessageBus::isWindow(window.handle()));
  }

  void aPostFromAWorkerRunsOnTheMainThreadInOrder() {
    std::vector<std::int64_t> seen;
    std::vector<QThread*> threads;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      seen.push_back(m.wParam);
      threads.push_back(QThread::currentThread());
      if (m.lParam != -m.wParam || m.message != platform::msg::kIdleLogout) seen.push_back(-1000);
      return 0;
    });
    std::atomic<int> refused{0};
    std::thread worker([&] {
      for (int i = 0; i < 100; ++i)
        if (!MessageBus::post(window.handle(), platform::msg::kIdleLogout, i, -i)) ++refused;
    });
    worker.join();
    QCOMPARE(refused.load(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), std::size_t(100), kWaitMs);
    for (int i = 0; i < 100; ++i) {
      QCOMPARE(seen[i], std::int64_t(i));
      QCOMPARE(threads[i], qApp->thread());
    }
  }

  void aPostIsQueuedEvenOnTheReceiversOwnThread() {
    int calls = 0;
    MessageReceiver window([&](const Message&) -> std::int64_t { return ++calls; });
    QVERIFY(MessageBus::post(window.handle(), platform::msg::kLoginStartup));
    QCOMPARE(calls, 0);  // not run inside post()
    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, kWaitMs);
  }

  void aSendWaitsForTheHandlerOnTheReceiversThread() {
    std::atomic<bool> handled{false};
    QThread* handlerThread = nullptr;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      handlerThread = QThread::currentThread();
      handled = true;
      return m.wParam * 1000 + m.lParam;
    });
    std::optional<std::int64_t> result;
    bool handledBeforeReturn = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      result = MessageBus::send(window.handle(), platform::msg::kVerified, 7, 3);
      handledBeforeReturn = handled;
      done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), kWaitMs);
    worker.join();
    QVERIFY(result.has_value());
    QCOMPARE(*result, std::int64_t(7003));
    QVERIFY(handledBeforeReturn);
    QCOMPARE(handlerThread, qApp->thread());
  }

  void aSendOnTheReceiversOwnThreadCallsTheHandlerDirectly() {
    int calls = 0;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      ++calls;
      return -m.wParam;
    });
    auto result = MessageBus::send(window.handle(), platform::msg::kLoginButton, 41);
    QCOMPARE(calls, 1);
    QCOMPARE(result.value_or(0), std::int64_t(-41));
  }

  void unknownAndDestroyedWindowsFailCleanly() {
    QVERIFY(!MessageBus::post(0, platform::msg::kClose));
    QVERIFY(!MessageBus::send(0, platform::msg::kClose));
    WindowHandle gone;
    int calls = 0;
    {
      MessageReceiver window([&](const Message&) -> std::int64_t { return ++calls; });
      gone = window.handle();
      // Posted, then destroyed before the loop ran: dropped, not delivered to freed memory.
      QVERIFY(MessageBus::post(gone, platform::msg::kClose));
      QVERIFY(MessageBus::post(gone, platform::msg::kClose));
    }
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);
    QVERIFY(!MessageBus::post(gone, platform::msg::kClose));
    QVERIFY(!MessageBus::send(gone, platform::msg::kClose));
    std::optional<std::int64_t> fromWorker = 1;
    std::thread([&] { fromWorker = MessageBus::send(gone, platform::msg::kClose); }).join();
    QVERIFY(!fromWorker);
    WindowHandle browser = MessageBus::allocateHandle();  // names a window that receives nothing here
    QVERIFY(!MessageBus::post(browser, platform::msg::kClose));
    QVERIFY(!MessageBus::send(browser, platform::msg::kClose));
    MessageBus::releaseHandle(browser);
  }

  void destroyingAReceiverReleasesItsWaitingSenders() {
    std::atomic<int> calls{0};
    BusyOwner owner([&](const Message&) -> std::int64_t { return ++calls; });
    WindowHandle h = owner.handle();
    std::optional<std::int64_t> result = 99;
    std::atomic<bool> done{false};
    std::thread sender([&] {
      result = MessageBus::send(h, platform::msg::kEnrolled, 1);
      done = true;
    });
    QTRY_COMPARE_WITH_TIMEOUT(MessageBus::pendingSends(h), std::size_t(1), kWaitMs);
    QVERIFY(!done);
    owner.releaseReceiver();  // the window goes without ever handling it
    sender.join();
    QVERIFY(!result.has_value());
    QCOMPARE(calls.load(), 0);
  }

  void aSendWithATimeoutGivesUpOnABusyWindow() {
    std::atomic<int> calls{0};
    BusyOwner owner([&](const Message&) -> std::int64_t { return ++calls; });
    auto result = MessageBus::send(owner.handle(), platform::msg::kVerifyError, -7, 0, 200ms);
    QVERIFY(!result.has_value());
    QCOMPARE(calls.load(), 0);
  }

  void twoThreadsSendingToEachOtherDoNotDeadlock() {
    MessageReceiver mainWindow([](const Message& m) -> std::int64_t { return m.wParam * 2; });
    const WindowHandle mainHandle = mainWindow.handle();
    // The worker's window answers by sending to the main window, which is itself
    // waiting in a send to the worker.
    ReceiverThread worker([mainHandle](const Message& m) -> std::int64_t {
      auto inner = MessageBus::send(mainHandle, 2, m.wParam + 1, 0, 30s);
      return inner ? *inner * 10 : -1;
    });
    WindowHandle workerHandle = worker.startAndWait();
    auto result = MessageBus::send(workerHandle, 1, 5, 0, 30s);
    worker.stop();
    QVERIFY(result.has_value());
    QCOMPARE(*result, std::int64_t(120));
  }

  void aWindowOfAWorkerThreadHandlesThere() {
    std::atomic<QThread*> where{nullptr};
    ReceiverThread worker([&](const Message& m) -> std::int64_t {
      where = QThread::currentThread();
      return m.wParam + 1;
    });
    WindowHandle h = worker.startAndWait();
    QVERIFY(MessageBus::post(h, platform::msg::kSensorConnected));
    QTRY_VERIFY_WITH_TIMEOUT(where.load() != nullptr, kWaitMs);
    QCOMPARE(where.load(), static_cast<QThread*>(&worker));
    QCOMPARE(MessageBus::send(h, platform::msg::kEnrolled, 2).value_or(0), std::int64_t(3));
    worker.stop();  // its window dies with the thread
    QVERIFY(!MessageBus::isWindow(h));
    QVERIFY(!MessageBus::post(h, platform::msg::kSensorConnected));
  }

  void aHandlerMayCloseItsOwnWindow() {
    int calls = 0;
    auto* window = new MessageReceiver;
    QPointer<MessageReceiver> alive(window);
    window->setHandler([&, window](const Message&) -> std::int64_t {
      ++calls;
      window->deleteLater();
      return 0;
    });
    WindowHandle h = window->handle();
    QVERIFY(MessageBus::post(h, platform::msg::kClose));
    QVERIFY(MessageBus::post(h, platform::msg::kClose));
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), kWaitMs);
    QCoreApplication::processEvents();
    QVERIFY(calls >= 1 && calls <= 2);
    QVERIFY(!MessageBus::isWindow(h));
  }

  void aThrowingHandlerDoesNotTakeTheLoopDown() {
    int calls = 0;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      ++calls;
      if (m.wParam == 1) throw std::runtime_error("bad message");
      return 5;
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("failed: bad message"));
    QCOMPARE(MessageBus::send(window.handle(), 0x401, 1).value_or(-1), std::int64_t(0));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("failed: bad message"));
    QVERIFY(MessageBus::post(window.handle(), 0x401, 1));
    QVERIFY(MessageBus::post(window.handle(), 0x401, 2));
    QTRY_COMPARE_WITH_TIMEOUT(calls, 3, kWaitMs);
  }
};

QTEST_GUILESS_MAIN(MessageBusTest)
#include "MessageBusTest.moc"
