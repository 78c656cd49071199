#include "ui/number_edit.h"

namespace tavrix {

NumberEdit::NumberEdit(std::uint32_t minimum, std::uint32_t maximum, QWidget* parent)
    : QLineEdit(parent), minimum_(minimum), maximum_(maximum) {}

void NumberEdit::SetValue(std::uint32_t value) {
  setText(QString::number(value));
}

std::optional<std::uint32_t> NumberEdit::Value() const {
  const QString digits = text().trimmed();
  if (digits.isEmpty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const QChar c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c.unicode() - u'0');
    if (value > maximum_) return std::nullopt;
  }
  if (value < minimum_) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> NumberEdit::TakeValue(const DialogPrompts& prompts) {
  const std::optional<std::uint32_t> value = Value();
  if (!value) {
    prompts.warn(window(), RangePrompt());
    setFocus();
    selectAll();
  }
  return value;
}

QString NumberEdit::RangePrompt() const {
  return QStringLiteral("Please enter a whole number from %1 to %2.").arg(minimum_).arg(maximum_);
}

}  // namespace tavrix
