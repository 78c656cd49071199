#pragma once
#include "engine/engine_types.h"
#include "engine/playback_command.h"

namespace tavrix {

// The speed rules of the playback commands; fast play doubles from 8 up to 32.
inline constexpr PlaybackSpeed kMaxPlaySpeed{8.0};
inline constexpr PlaybackSpeed kFastStartSpeed{8.0};
inline constexpr PlaybackSpeed kFastTopSpeed{32.0};

// Pause ends fast play: 8, 16, 32 or 64 become 1; any other speed stays.
PlaybackSpeed SpeedAfterPause(PlaybackSpeed speed);
// Play at |requested|, at most 8; 0 (or no number at all) plays at 1.
PlaybackSpeed SpeedForPlay(PlaybackSpeed requested);
// Fast forward (forward = true) or fast rewind: restarts at 8 after the
// opposite direction was commanded, stays at 32, doubles while already fast
// in its own direction, and starts at 8 otherwise.
PlaybackSpeed SpeedForFast(bool forward, PlaybackSpeed speed, PlaybackCommand lastCommand, PlaybackState state);

}  // namespace tavrix
