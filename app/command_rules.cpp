#include "app/command_rules.h"

#include "app/command_ids.h"

namespace tavrix {

CommandUi CommandRule(int id, const WindowFacts& facts) {
  const bool playing = facts.state != PlaybackState::Idle;
  switch (id) {
    case command::kPlayerMode: return {true, facts.mode == EngineMode::Player};
    case command::kClientMode: return {true, facts.mode == EngineMode::Client};
    case command::kClose: return {facts.sourceOpen, std::nullopt};
    case command::kShowTime: return {true, facts.showTime};
    case command::kRepeat: return {true, facts.repeat};
    case command::kAlwaysOnTop: return {true, facts.alwaysOnTop};
    case command::kPlay:
    case command::kPlayReverse:
    case command::kPause:
    case command::kFastForward:
    case command::kFastRewind:
    case command::kNextFrame:
    case command::kPreviousFrame:
    case command::kTogglePlay:
    case command::kSlower:
    case command::kFaster:
    case command::kJumpToStart:
    case command::kJumpToEnd: return {playing, std::nullopt};
    case command::kNormal: return {true, facts.normal};
    case command::kMaximize: return {true, facts.maximized};
    case command::kVideo640x448: return {true, facts.videoArea == QSize(640, 448)};
    case command::kVideo640x544: return {true, facts.videoArea == QSize(640, 544)};
    case command::kMute: return {true, facts.muted};
    default: return {};
  }
}

}  // namespace tavrix
