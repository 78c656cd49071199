#include "app/status_text.h"

#include <cstdio>

namespace tavrix {

const char* StatusWord(PlaybackState state) {
  switch (state) {
    case PlaybackState::Idle: return "READY";
    case PlaybackState::Forward:
    case PlaybackState::Reverse: return "Play";
    case PlaybackState::StepForward: return "STEPF";
    case PlaybackState::StepBackward: return "STEPR";
    case PlaybackState::Paused: return "Pause";
    case PlaybackState::Seek: return "SEARCH";
  }
  return "Stop";
}

std::string StatusText(PlaybackState state, PlaybackSpeed speed) {
  std::string text = StatusWord(state);
  if (state == PlaybackState::Forward || state == PlaybackState::Reverse) {
    char speedText[32];
    std::snprintf(speedText, sizeof speedText, " x %.1f   ", speed.factor());
    text += speedText;
  }
  return text;
}

}  // namespace tavrix
