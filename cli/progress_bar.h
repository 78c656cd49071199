#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tavrix::cli {

// A one-line progress bar with the rate and the time left, redrawn in place
// on a terminal at most ten times a second. Silent when the stream is not a
// terminal, so scripts and logs get no control characters.
class ProgressBar {
 public:
  ProgressBar(std::FILE* out, std::string unit);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  ~ProgressBar();

  // fraction (0 to 1) of the work is done; count items (frames) made so far.
  void Update(double fraction, std::uint64_t count);
  // Clears the line; the caller's own message follows.
  void Finish();

  bool active() const { return active_; }

 private:
  std::FILE* out_;
  std::string unit_;
  bool active_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tavrix::cli
