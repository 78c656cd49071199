#pragma once

namespace tavrix {

// The speed rules of the playback commands. Speeds are factors of normal
// speed; fast play doubles from 8 up to 32.
inline constexpr double kMaxPlaySpeed = 8.0;
inline constexpr double kFastStartSpeed = 8.0;
inline constexpr double kFastTopSpeed = 32.0;

// Pause ends fast play: 8, 16, 32 or 64 become 1; any other speed stays.
double SpeedAfterPause(double speed);
// Play at |requested|, at most 8; 0 (or no number at all) plays at 1.
double SpeedForPlay(double requested);
// Fast forward (forward = true) or fast rewind: restarts at 8 after the
// opposite direction was commanded, stays at 32, doubles while already fast
// in its own direction, and starts at 8 otherwise.
double SpeedForFast(bool forward, double speed, int lastCommand, int state);

}  // namespace tavrix
