#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <span>
#include <vector>

namespace tavrix {

// A signalling event with manual or automatic reset. Several events can be
// waited on together (WaitAny), which the stream threads need.
class Event {
 public:
  enum class ResetMode { Manual, Automatic };

  explicit Event(ResetMode mode = ResetMode::Manual);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  ~Event() = default;

  void Set();
  void Reset();
  // Tests without waiting and without consuming an automatic-reset signal.
  bool IsSet() const;
  // True when signalled within the time-out; an automatic-reset event is consumed.
  bool Wait(std::chrono::milliseconds timeout);

  static constexpr int kTimedOut = -1;
  // Index of the first signalled event, or kTimedOut. Only that event is consumed.
  static int WaitAny(std::span<Event* const> events, std::chrono::milliseconds timeout);

 private:
  struct Waiter {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
  };

  bool TryConsume();
  void AddWaiter(Waiter* waiter);
  void RemoveWaiter(Waiter* waiter);

  const ResetMode mode_;
  mutable std::mutex mutex_;
  bool signalled_ = false;
  std::vector<Waiter*> waiters_;
};

}  // namespace tavrix
