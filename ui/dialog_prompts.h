#pragma once
#include <functional>

#include <QString>

class QWidget;

namespace tavrix {

// How a dialog tells the user that an entry is refused and asks a yes/no
// question. The dialogs show message boxes; tests put their own answers in.
struct DialogPrompts {
  // An exclamation box with OK.
  std::function<void(QWidget* parent, const QString& text)> warn;
  // A question box with Yes and No; true for Yes.
  std::function<bool(QWidget* parent, const QString& text)> ask;

  // Message boxes owned by `parent` and titled like it.
  static DialogPrompts MessageBoxes();
};

}  // namespace tavrix
