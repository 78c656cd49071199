#include "app/command_actions.h"

#include <QWidget>
#include <initializer_list>

#include "app/command_ids.h"

namespace tavrix {
namespace {

struct ActionSpec {
  int id;
  const char* text;
  std::initializer_list<QKeySequence> keys;
};

// In the order of the popup; 0 starts a new group. Keys beyond the
// accelerators (Space, "." and ",", "[" and "]", Home and End) are those
// users of video players expect; they clash with none of them.
const ActionSpec kPopup[] = {
    {command::kAbout, "&About Viewer", {Qt::Key_F10}},
    {0, nullptr, {}},
    {command::kPlayerMode, "Player(&P)", {}},
    {0, nullptr, {}},
    {command::kOpenFile, "&Open File...", {Qt::CTRL | Qt::Key_O}},
    {command::kOpenDisk, "Open &Disk...", {}},
    {command::kClose, "Close", {Qt::CTRL | Qt::Key_C}},
    {0, nullptr, {}},
    {command::kPlay, "Play", {}},
    {command::kPlayReverse, "Play Reverse", {}},
    {command::kPause, "Pause", {Qt::CTRL | Qt::Key_P}},
    {command::kFastForward, "Fast Forward", {}},
    {command::kFastRewind, "Fast Rewind", {}},
    {command::kNextFrame, "Next Frame", {Qt::CTRL | Qt::Key_N, Qt::Key_Period}},
    {command::kPreviousFrame, "Previous Frame", {Qt::CTRL | Qt::Key_V, Qt::Key_Comma}},
    {0, nullptr, {}},
    {command::kSplit1, "Split 1", {}},
    {command::kSplit4, "Split 4", {}},
    {command::kShowTime, "Show &Time", {}},
    {command::kRepeat, "&Repeat", {}},
    {0, nullptr, {}},
    {command::kNormal, "Normal", {Qt::CTRL | Qt::Key_F}},
    {command::kMaximize, "Maximize", {}},
    {command::kVideo640x448, "640 x 448", {}},
    {command::kVideo640x544, "640 x 544", {}},
    {command::kAlwaysOnTop, "Always on top", {}},
    {0, nullptr, {}},
    {command::kExit, "E&xit", {Qt::ALT | Qt::Key_F4}},
};

// Commands that only keys run.
const ActionSpec kKeysOnly[] = {
    {command::kTogglePlay, "Play or Pause", {Qt::Key_Space}},
    {command::kSlower, "Slower", {Qt::Key_BracketLeft}},
    {command::kFaster, "Faster", {Qt::Key_BracketRight}},
    {command::kJumpToStart, "Go to the Start", {Qt::Key_Home}},
    {command::kJumpToEnd, "Go to the End", {Qt::Key_End}},
};

}  // namespace

CommandActions::CommandActions(QWidget* window) : QObject(window), playerMenu_(new QMenu(window)) {
  auto make = [this, window](const ActionSpec& spec) {
    auto* action = new QAction(QString::fromLatin1(spec.text), this);
    action->setShortcuts(QList<QKeySequence>(spec.keys));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, id = spec.id] { emit triggered(id); });
    window->addAction(action);
    actions_[spec.id] = action;
    return action;
  };
  for (const ActionSpec& spec : kPopup) {
    if (spec.id == 0) {
      playerMenu_->addSeparator();
    } else {
      playerMenu_->addAction(make(spec));
    }
  }
  for (const ActionSpec& spec : kKeysOnly) make(spec);
}

QAction* CommandActions::action(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CommandActions::Update(const WindowFacts& facts) {
  for (const auto& [id, action] : actions_) {
    const CommandUi ui = CommandRule(id, facts);
    action->setEnabled(ui.enabled);
    action->setCheckable(ui.checked.has_value());
    action->setChecked(ui.checked.value_or(false));
  }
}

}  // namespace tavrix
