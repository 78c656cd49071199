#include "engine/speed_rules.h"

#include <cmath>

namespace tavrix {

PlaybackSpeed SpeedAfterPause(PlaybackSpeed speed) {
  const double factor = speed.factor();
  return factor == 8.0 || factor == 16.0 || factor == 32.0 || factor == 64.0 ? PlaybackSpeed::Normal() : speed;
}

PlaybackSpeed SpeedForPlay(PlaybackSpeed requested) {
  const double factor = std::fabs(requested.factor());
  if (std::isnan(factor) || factor == 0.0) return PlaybackSpeed::Normal();
  return factor > kMaxPlaySpeed.factor() ? kMaxPlaySpeed : PlaybackSpeed(factor);
}

PlaybackSpeed SpeedForFast(bool forward, PlaybackSpeed speed, PlaybackCommand lastCommand, PlaybackState state) {
  const PlaybackCommand opposite = forward ? PlaybackCommand::Reverse : PlaybackCommand::Forward;
  const PlaybackState ownState = forward ? PlaybackState::Forward : PlaybackState::Reverse;
  if (lastCommand == opposite) return kFastStartSpeed;
  if (speed == kFastTopSpeed) return speed;
  if (state == ownState && speed >= kFastStartSpeed) return PlaybackSpeed(speed.factor() * 2);
  return kFastStartSpeed;
}

}  // namespace tavrix
