#pragma once
#include <cstdint>
#include <optional>

#include <QLineEdit>

#include "ui/dialog_prompts.h"

namespace tavrix {

// A line edit for a whole number within a range. Anything may be typed; the
// entry is judged when the dialog's OK takes it, so the user learns why it
// was refused instead of finding keys that do nothing.
class NumberEdit : public QLineEdit {
  Q_OBJECT

 public:
  NumberEdit(std::uint32_t minimum, std::uint32_t maximum, QWidget* parent = nullptr);

  void SetValue(std::uint32_t value);

  // The entry when it is decimal digits (blanks around them allowed) making
  // a number within the range; nothing otherwise.
  std::optional<std::uint32_t> Value() const;

  // Value(); when the entry is refused, the range prompt is shown and the
  // focus goes back to the edit with the entry selected.
  std::optional<std::uint32_t> TakeValue(const DialogPrompts& prompts);

  // "Please enter a whole number from 1 to 65535."
  QString RangePrompt() const;

 private:
  std::uint32_t minimum_;
  std::uint32_t maximum_;
};

}  // namespace tavrix
