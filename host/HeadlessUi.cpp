// The user interface without a display: message boxes are written to standard
// error and kept; yielding runs what tests and scripts queued; timers tick only
// when stepped; windows keep their state in the headless window kit.
#include <algorithm>
#include <iostream>

#include "host/Ui.h"
#include "host/Window.h"

namespace host {

struct HeadlessUi::Queued {
  std::function<void()> action;
  int yieldsToWait = 0;
};

struct HeadlessUi::TimerImpl : Timer {
  TimerImpl(HeadlessUi* owner, std::function<void()> tick) : owner(owner), tick(std::move(tick)) {
    owner->timers_.push_back(this);
  }
  ~TimerImpl() override {
    if (owner != nullptr) std::erase(owner->timers_, this);
  }
  void setInterval(int milliseconds) override { intervalMs = milliseconds; }
  int interval() const override { return intervalMs; }
  void setEnabled(bool on) override { isEnabled = on; }
  bool enabled() const override { return isEnabled; }

  HeadlessUi* owner;  // null once the interface is gone
  std::function<void()> tick;
  int intervalMs = 0;
  bool isEnabled = false;
};

HeadlessUi::HeadlessUi()
    : kit_(makeHeadlessKit([this] { return Rect::fromXywh(0, 0, screen_.pixels.width, screen_.pixels.height); })) {}

HeadlessUi::~HeadlessUi() {
  for (TimerImpl* timer : timers_) timer->owner = nullptr;
}

int HeadlessUi::msgBox(const std::string& text, int style, const std::string& title) {
  record(text, style, title);
  if (echo_) std::cerr << (title.empty() ? std::string() : title + ": ") << text << '\n';
  return answer_;
}

void HeadlessUi::queue(std::function<void()> action, int afterYields) {
  queued_.push_back({std::move(action), std::max(afterYields, 0)});
}

void HeadlessUi::doEvents() {
  ++yields_;
  // Take out what is due before running any of it: an action may queue more
  // or yield again, and those belong to later yields.
  std::vector<Queued> due;
  std::vector<Queued> waiting;
  for (Queued& item : queued_) {
    if (item.yieldsToWait == 0) {
      due.push_back(std::move(item));
    } else {
      --item.yieldsToWait;
      waiting.push_back(std::move(item));
    }
  }
  queued_ = std::move(waiting);
  for (Queued& item : due) item.action();
}

void HeadlessUi::runUntil(const std::function<bool()>& done) {
  while (!done() && !queued_.empty()) doEvents();
}

std::unique_ptr<Timer> HeadlessUi::createTimer(std::function<void()> tick) {
  return std::make_unique<TimerImpl>(this, std::move(tick));
}

void HeadlessUi::stepTimers() {
  // A tick may start or stop timers; only those alive and enabled now tick.
  const std::vector<TimerImpl*> now = timers_;
  for (TimerImpl* timer : now) {
    const bool alive = std::find(timers_.begin(), timers_.end(), timer) != timers_.end();
    if (!alive || !timer->isEnabled || !timer->tick) continue;
    auto tick = timer->tick;  // the tick may end its own timer
    tick();
  }
}

WindowKit& HeadlessUi::kit() { return *kit_; }

}  // namespace host
