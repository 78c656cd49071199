#pragma once
#include <chrono>
#include <thread>

namespace tavrix::testing {

// Polls until the condition holds; false once the deadline has passed. The
// deadline only guards against a hang (generous enough for sanitizer builds):
// nothing here measures time.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace tavrix::testing
