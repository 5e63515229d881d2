#include "lockmere/widgets/Timers.h"

#include <QTimer>
#include <map>

namespace widgets {
namespace {

class QtTimer : public Timer {
 public:
  QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // A copy: the callback may destroy this timer.
      if (auto callback = onTimeout) callback();
    });
  }
  void setInterval(int ms) override { timer_.setInterval(ms); }
  int interval() const override { return timer_.interval(); }
  void start() override {
    if (timer_.interval() > 0) timer_.start();
  }
  void stop() override { timer_.stop(); }
  bool isActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

class QtTimerSource : public TimerSource {
 public:
  std::unique_ptr<Timer> createTimer() override { return std::make_unique<QtTimer>(); }
};

}  // namespace

std::shared_ptr<TimerSource> TimerSource::system() {
  static const std::shared_ptr<TimerSource> source = std::make_shared<QtTimerSource>();
  return source;
}

struct ManualTimerSource::State {
  struct Entry {
    Timer* timer;
    qint64 due;
    quint64 order;  // when it was started, for ties
  };
  qint64 now = 0;
  quint64 nextOrder = 0;
  std::map<Timer*, Entry> active;
};

namespace {

class ManualTimer : public Timer {
 public:
  explicit ManualTimer(std::shared_ptr<ManualTimerSource::State> state) : state_(std::move(state)) {}
  ~ManualTimer() override { state_->active.erase(this); }
  void setInterval(int ms) override { interval_ = ms; }
  int interval() const override { return interval_; }
  void start() override {
    if (interval_ <= 0) return;
    state_->active[this] = {this, state_->now + interval_, state_->nextOrder++};
  }
  void stop() override { state_->active.erase(this); }
  bool isActive() const override { return state_->active.count(const_cast<ManualTimer*>(this)) != 0; }

 private:
  std::shared_ptr<ManualTimerSource::State> state_;
  int interval_ = 0;
};

}  // namespace

ManualTimerSource::ManualTimerSource() : state_(std::make_shared<State>()) {}
ManualTimerSource::~ManualTimerSource() = default;

std::unique_ptr<Timer> ManualTimerSource::createTimer() { return std::make_unique<ManualTimer>(state_); }

void ManualTimerSource::advance(qint64 ms) {
  const qint64 target = state_->now + ms;
  for (;;) {
    const State::Entry* next = nullptr;
    for (const auto& [timer, entry] : state_->active)
      if (entry.due <= target &&
          (!next || entry.due < next->due || (entry.due == next->due && entry.order < next->order)))
        next = &entry;
    if (!next) break;
    Timer* timer = next->timer;
    state_->now = next->due;
    // Rescheduled before the callback runs, which may stop or destroy the timer.
    state_->active[timer] = {timer, state_->now + timer->interval(), state_->nextOrder++};
    if (auto callback = timer->onTimeout) callback();
  }
  state_->now = target;
}

qint64 ManualTimerSource::now() const { return state_->now; }

int ManualTimerSource::activeTimers() const { return static_cast<int>(state_->active.size()); }

}  // namespace widgets
