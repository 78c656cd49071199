#include "platform/event.h"

#include <algorithm>

namespace tavrix {

Event::Event(ResetMode mode) : mode_(mode) {}

void Event::Set() {
  std::lock_guard lock(mutex_);
  signalled_ = true;
  for (Waiter* waiter : waiters_) {
    std::lock_guard waiterLock(waiter->mutex);
    waiter->woken = true;
    waiter->wake.notify_all();
  }
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return signalled_;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
  Event* self = this;
  return WaitAny(std::span<Event* const>(&self, 1), timeout) == 0;
}

bool Event::TryConsume() {
  std::lock_guard lock(mutex_);
  if (!signalled_) return false;
  if (mode_ == ResetMode::Automatic) signalled_ = false;
  return true;
}

void Event::AddWaiter(Waiter* waiter) {
  std::lock_guard lock(mutex_);
  waiters_.push_back(waiter);
}

void Event::RemoveWaiter(Waiter* waiter) {
  std::lock_guard lock(mutex_);
  waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), waiter), waiters_.end());
}

int Event::WaitAny(std::span<Event* const> events, std::chrono::milliseconds timeout) {
  // Register before testing, so a Set between the test and the wait still wakes us.
  Waiter waiter;
  for (Event* event : events) event->AddWaiter(&waiter);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int result = kTimedOut;
  for (;;) {
    for (std::size_t i = 0; i < events.size() && result == kTimedOut; ++i) {
      if (events[i]->TryConsume()) result = static_cast<int>(i);
    }
    if (result != kTimedOut) break;
    std::unique_lock lock(waiter.mutex);
    if (!waiter.wake.wait_until(lock, deadline, [&] { return waiter.woken; })) break;
    waiter.woken = false;
  }
  for (Event* event : events) event->RemoveWaiter(&waiter);
  return result;
}

}  // namespace tavrix
