#pragma once
#include <cstdint>
#include <mutex>
#include <optional>

namespace tavrix {

// The latest mouse state over the live picture. The view records it on the
// window's thread; the network client takes it on its own thread, at most
// every 250 ms, so movements in between merge into the latest state.
class MouseReport {
 public:
  enum Buttons : std::int32_t { kNone = 0, kLeft = 1, kRight = 2, kLeftDouble = 3, kRightDouble = 4 };

  struct State {
    std::int32_t buttons = kNone;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
  };

  void Record(const State& state) {
    std::lock_guard lock(mutex_);
    state_ = state;
    pending_ = true;
  }

  // The state recorded since the last take, if any; clears the pending flag.
  std::optional<State> TakePending() {
    std::lock_guard lock(mutex_);
    if (!pending_) return std::nullopt;
    pending_ = false;
    return state_;
  }

 private:
  std::mutex mutex_;
  State state_;
  bool pending_ = false;
};

}  // namespace tavrix
