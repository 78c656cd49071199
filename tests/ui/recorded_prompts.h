#pragma once
#include <QStringList>

#include "ui/dialog_prompts.h"

namespace tavrix {

// Prompts that never block: warnings and questions are written down, and
// every question gets `answer`.
struct RecordedPrompts {
  QStringList warnings;
  QStringList questions;
  bool answer = true;

  DialogPrompts prompts() {
    return {[this](QWidget*, const QString& text) { warnings << text; },
            [this](QWidget*, const QString& text) {
              questions << text;
              return answer;
            }};
  }
};

}  // namespace tavrix
