#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/engine_types.h"
#include "engine/playback_command.h"
#include "media/calendar_time.h"
#include "platform/event.h"

namespace tavrix {

// The fields the engine's facade and its playback thread share. Commands are
// stored first and then announced through the command event; everything the
// main thread polls for display is published here by the playback thread.
class PlaybackFields {
 public:
  std::atomic<PlaybackCommand> command{PlaybackCommand::None};
  std::atomic<PlaybackState> state{PlaybackState::Idle};
  std::atomic<PlaybackSpeed> speed{PlaybackSpeed::Normal()};
  std::atomic<bool> repeat{false};
  std::atomic<std::uint64_t> seekTarget{0};
  std::atomic<int> framePeriodUs{33333};
  std::atomic<std::uint64_t> position{0};
  // Commands the playback thread has taken up; commands stored faster than
  // it takes them count once.
  std::atomic<std::uint64_t> commandsTaken{0};
  // The size of the picture decoded last (0 before any) and what the block
  // read last says: what an AVI capture needs for its frame size and rate.
  std::atomic<std::uint32_t> pictureWidth{0};
  std::atomic<std::uint32_t> pictureHeight{0};
  std::atomic<std::uint16_t> blockChannelMask{0};
  std::atomic<int> blockInterval{0};
  Event commandEvent{Event::ResetMode::Manual};

  static_assert(std::atomic<PlaybackSpeed>::is_always_lock_free);

  // Stores a command and wakes the playback thread.
  void Post(PlaybackCommand code) {
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
