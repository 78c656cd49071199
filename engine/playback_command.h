#pragma once
#include <optional>

#include "engine/engine_types.h"

namespace tavrix {

// The codes the engine's facade stores for its playback thread.
enum class PlaybackCommand : int {
  None = 0,
  Pause = 2,
  Forward = 3,
  Reverse = 4,
  StepForward = 5,
  StepBackward = 6,
  Seek = 7,
};

// The state a command puts the thread in; none for a code that changes nothing.
constexpr std::optional<PlaybackState> StateForCommand(PlaybackCommand command) {
  switch (command) {
    case PlaybackCommand::Pause: return PlaybackState::Paused;
    case PlaybackCommand::Forward: return PlaybackState::Forward;
    case PlaybackCommand::Reverse: return PlaybackState::Reverse;
    case PlaybackCommand::StepForward: return PlaybackState::StepForward;
    case PlaybackCommand::StepBackward: return PlaybackState::StepBackward;
    case PlaybackCommand::Seek: return PlaybackState::Seek;
    default: return std::nullopt;
  }
}

}  // namespace tavrix
