#include "ui/transparent_label.h"

#include <QPainter>

namespace tavrix {

TransparentLabel::TransparentLabel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

TransparentLabel::TransparentLabel(const QString& text, QWidget* parent) : TransparentLabel(parent) {
  text_ = text;
}

void TransparentLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  updateGeometry();
  update();
}

void TransparentLabel::SetTextColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void TransparentLabel::setAlignment(Qt::Alignment alignment) {
  alignment_ = alignment;
  update();
}

QSize TransparentLabel::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  return {metrics.horizontalAdvance(text_) + 2, metrics.height()};
}

void TransparentLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(colour_);
  const QString shown = fontMetrics().elidedText(text_, Qt::ElideMiddle, width());
  painter.drawText(rect(), static_cast<int>(alignment_) | Qt::TextSingleLine, shown);
}

}  // namespace tavrix
