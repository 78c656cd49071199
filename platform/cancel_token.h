#pragma once
#include <atomic>

namespace tavrix {

// Asks long work running on another thread to stop. The work checks it at
// its own safe points and ends there; cancelling twice changes nothing.
class CancelToken {
 public:
  void Cancel() { cancelled_.store(true, std::memory_order_release); }
  bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> cancelled_{false};
};

}  // namespace tavrix
