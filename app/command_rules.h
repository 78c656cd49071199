#pragma once
#include <QSize>
#include <optional>

#include "engine/engine_types.h"

namespace tavrix {

// What the enable and tick rules of the commands look at.
struct WindowFacts {
  EngineMode mode = EngineMode::Player;
  PlaybackState state = PlaybackState::Idle;
  bool sourceOpen = false;
  bool showTime = true;
  bool repeat = false;
  bool alwaysOnTop = false;
  bool maximized = false;
  bool normal = true;
  QSize videoArea;
  bool muted = false;
};

struct CommandUi {
  bool enabled = true;
  // Set for commands that show a tick (menu) or a checked state (check box).
  std::optional<bool> checked;
};

// How a command's button and menu item look: evaluated when the popup opens
// and, for the buttons, on every refresh.
CommandUi CommandRule(int command, const WindowFacts& facts);

}  // namespace tavrix
