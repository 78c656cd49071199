#pragma once
#include <string>

#include "engine/engine_types.h"

namespace tavrix {

// The word the status line shows for a playback state: "READY", "Play",
// "STEPF", "STEPR", "Pause" or "SEARCH".
const char* StatusWord(PlaybackState state);

// The status line's text: the state's word, and while playing forward or in
// reverse the speed as " x %.1f" followed by three spaces ("Play x 1.0   ").
std::string StatusText(PlaybackState state, PlaybackSpeed speed);

}  // namespace tavrix
