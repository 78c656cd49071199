#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "media/calendar_time.h"
#include "platform/event.h"

namespace tavrix {

// The fields the engine's facade and its playback thread share. Commands are
// stored first and then announced through the command event; everything the
// main thread polls for display is published here by the playback thread.
class PlaybackFields {
 public:
  std::atomic<int> command{0};
  std::atomic<int> state{0};
  std::atomic<double> speed{1.0};
  std::atomic<bool> repeat{false};
  // An AVI capture runs: the sound played goes to the AVI writer too.
  std::atomic<bool> aviActive{false};
  std::atomic<std::uint64_t> seekTarget{0};
  std::atomic<int> framePeriodUs{33333};
  std::atomic<std::uint64_t> position{0};
  // Commands the playback thread has taken up; commands stored faster than
  // it takes them count once.
  std::atomic<std::uint64_t> commandsTaken{0};
  Event commandEvent{Event::ResetMode::Manual};

  // Stores a command and wakes the playback thread.
  void Post(int code) {
    command.store(code);
    commandEvent.Set();
  }

  void PublishBlockTime(bool valid, const CalendarTime& time) {
    std::lock_guard lock(timeMutex_);
    blockTimeValid_ = valid;
    blockTime_ = time;
  }
  bool BlockTime(CalendarTime& out) const {
    std::lock_guard lock(timeMutex_);
    if (blockTimeValid_) out = blockTime_;
    return blockTimeValid_;
  }

 private:
  mutable std::mutex timeMutex_;
  bool blockTimeValid_ = false;
  CalendarTime blockTime_;
};

}  // namespace tavrix
