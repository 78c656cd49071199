#pragma once
#include <string>
#include <utility>

namespace tavrix {

enum class EngineMode : int { Player = 1, Client = 2 };

// The playback thread's state as the engine reports it.
enum class PlaybackState : int {
  Idle = 0,          // no playback thread
  Forward = 2,
  Reverse = 3,
  StepForward = 4,   // show the next frame once, then pause
  StepBackward = 5,  // show the previous frame once, then pause
  Paused = 6,
  Seek = 7,          // show the frame at the seek target once, then pause
};

// A playback speed as a factor of normal speed.
class PlaybackSpeed {
 public:
  constexpr explicit PlaybackSpeed(double factor) : factor_(factor) {}
  static constexpr PlaybackSpeed Normal() { return PlaybackSpeed(1.0); }
  constexpr double factor() const { return factor_; }
  friend constexpr bool operator==(PlaybackSpeed, PlaybackSpeed) = default;
  friend constexpr auto operator<=>(PlaybackSpeed, PlaybackSpeed) = default;

 private:
  double factor_;
};

// The outcome of a command: done, or refused with one line the user can read.
class CommandResult {
 public:
  static CommandResult Done() { return CommandResult({}); }
  static CommandResult Refused(std::string reason) { return CommandResult(std::move(reason)); }

  bool ok() const { return reason_.empty(); }
  explicit operator bool() const { return ok(); }
  const std::string& reason() const { return reason_; }

 private:
  explicit CommandResult(std::string reason) : reason_(std::move(reason)) {}
  std::string reason_;
};

}  // namespace tavrix
