#include "engine/playback_speed.h"

#include <cmath>

#include "engine/playback_state.h"

namespace tavrix {

double SpeedAfterPause(double speed) {
  return speed == 8.0 || speed == 16.0 || speed == 32.0 || speed == 64.0 ? 1.0 : speed;
}

double SpeedForPlay(double requested) {
  const double speed = std::fabs(requested);
  if (std::isnan(speed) || speed == 0.0) return 1.0;
  return speed > kMaxPlaySpeed ? kMaxPlaySpeed : speed;
}

double SpeedForFast(bool forward, double speed, int lastCommand, int state) {
  const int opposite = forward ? kCommandReverse : kCommandForward;
  const int ownState = forward ? kStateForward : kStateReverse;
  if (lastCommand == opposite) return kFastStartSpeed;
  if (speed == kFastTopSpeed) return speed;
  if (state == ownState && speed >= kFastStartSpeed) return speed * 2;
  return kFastStartSpeed;
}

}  // namespace tavrix
