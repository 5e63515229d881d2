#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

// The widgets' timers behind a small interface, so that a test (or a picture)
// steps time by hand instead of waiting for it.
//
//   auto timers = std::make_shared<widgets::ManualTimerSource>();
//   popups.setEnvironment({screen, timers});
//   popups.ShowPopUp();
//   timers->advance(25);   // one slide step
namespace widgets {

// A repeating timer, as the design's timers are: it fires every interval() ms
// until stopped. An interval of 0 or less never fires.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setInterval(int ms) = 0;
  virtual int interval() const = 0;
  virtual void start() = 0;  // (re)starts the interval from now
  virtual void stop() = 0;
  virtual bool isActive() const = 0;

  std::function<void()> onTimeout;
};

class TimerSource {
 public:
  virtual ~TimerSource() = default;
  virtual std::unique_ptr<Timer> createTimer() = 0;

  // Real time (QTimer in the thread's event loop).
  static std::shared_ptr<TimerSource> system();
};

// Time that moves only when advance() is called. Due timers fire in order of due
// time, ties in the order their due times were set; a callback may start, stop,
// create or destroy timers, its own included.
class ManualTimerSource : public TimerSource {
 public:
  ManualTimerSource();
  ~ManualTimerSource() override;
  std::unique_ptr<Timer> createTimer() override;

  // Moves time forward by ms, firing what falls due on the way.
  void advance(qint64 ms);
  qint64 now() const;
  int activeTimers() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace widgets
