#pragma once
#include <QAction>
#include <QList>
#include <QMenu>
#include <QObject>
#include <map>

#include "app/command_rules.h"

namespace tavrix {

// The window's commands as actions: their menu texts, their keys (the
// accelerators and the player's own keys) and their ticks. Every action is
// added to the window, so its keys work wherever the focus is in it.
class CommandActions : public QObject {
  Q_OBJECT

 public:
  explicit CommandActions(QWidget* window);

  QAction* action(int id) const;
  // The right-click popup of player mode.
  QMenu* playerMenu() const { return playerMenu_; }
  // Applies the enable and tick rules to every action.
  void Update(const WindowFacts& facts);

 signals:
  void triggered(int id);

 private:
  std::map<int, QAction*> actions_;
  QMenu* playerMenu_;
};

}  // namespace tavrix
