#include "ui/skin_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

#include "ui/artwork.h"
#include "ui/picture_masks.h"

namespace tavrix {

SkinButton::SkinButton(Kind kind, QWidget* parent)
    : QAbstractButton(parent), kind_(kind), textColour_(palette().color(QPalette::ButtonText)) {
  setCheckable(kind != Kind::kPushButton);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
}

bool SkinButton::SetStrip(int number, bool drawEdge, int margin, bool hasMask) {
  const QPixmap strip = Artwork::Picture(number, devicePixelRatioF());
  if (strip.isNull()) return false;
  SetStrip(strip, drawEdge, margin, hasMask);
  return true;
}

void SkinButton::SetStrip(const QPixmap& strip, bool drawEdge, int margin, bool hasMask) {
  drawEdge_ = drawEdge;
  margin_ = std::max(0, margin);
  hasMask_ = hasMask;
  const int count = hasMask ? 5 : 4;
  const QSize logical = strip.deviceIndependentSize().toSize();
  sliceSize_ = QSize(logical.width() / count, logical.height());
  const qreal ratio = strip.devicePixelRatio();
  const auto physicalSlice = [&](int index) {
    QPixmap slice = strip.copy(QRectF(index * sliceSize_.width() * ratio, 0, sliceSize_.width() * ratio,
                                      sliceSize_.height() * ratio)
                                   .toRect());
    slice.setDevicePixelRatio(ratio);
    return slice;
  };
  const QPixmap mask = hasMask ? physicalSlice(4) : QPixmap();
  for (int index = 0; index < 4; ++index) {
    slices_[index] = hasMask ? ApplyMask(physicalSlice(index), mask) : physicalSlice(index);
  }
  resize(sliceSize_);
  updateGeometry();
  update();
}

void SkinButton::SetCheck(bool checked) {
  if (kind_ == Kind::kPushButton) return;
  setChecked(checked);
  if (checked && kind_ == Kind::kRadioButton) UncheckOtherRadios();
  update();
}

void SkinButton::UncheckOtherRadios() {
  if (parentWidget() == nullptr) return;
  const auto siblings = parentWidget()->findChildren<SkinButton*>(Qt::FindDirectChildrenOnly);
  for (SkinButton* sibling : siblings) {
    if (sibling != this && sibling->kind_ == Kind::kRadioButton && sibling->isChecked()) {
      sibling->setChecked(false);
      sibling->update();
    }
  }
}

void SkinButton::nextCheckState() {
  SetCheck(kind_ == Kind::kRadioButton ? true : !isChecked());
}

void SkinButton::SetTextColour(const QColor& colour) {
  textColour_ = colour;
  update();
}

SkinButton::Slice SkinButton::currentSlice() const {
  if (!isEnabled()) return kDisabledSlice;
  if (isDown() || isChecked()) return kPressedSlice;
  return hover_ ? kHoverSlice : kNormalSlice;
}

QSize SkinButton::sizeHint() const {
  return sliceSize_.isEmpty() ? QSize(16, 16) : sliceSize_;
}

void SkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const Slice slice = currentSlice();
  const QPixmap& picture = slices_[slice];
  if (!picture.isNull()) painter.drawPixmap(0, 0, picture);

  const bool sunken = slice == kPressedSlice;
  if (drawEdge_) qDrawWinButton(&painter, rect(), palette(), sunken);

  QRect textRect = rect().adjusted(margin_ + 2, 0, -(margin_ + 2), 0);
  const int flags = Qt::AlignCenter | Qt::TextSingleLine;
  if (slice == kDisabledSlice) {
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(textRect, flags, text());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(textRect.translated(-1, -1), flags, text());
    return;
  }
  if (sunken) textRect.translate(1, 1);
  if (hasFocus() && margin_ > 0) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(margin_, margin_, -margin_, -margin_);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
  painter.setPen(textColour_);
  painter.drawText(textRect, flags, text());
}

void SkinButton::SetHover(bool hover) {
  if (hover_ == hover) return;
  hover_ = hover;
  update();
}

void SkinButton::enterEvent(QEnterEvent* event) {
  if (!isDown()) SetHover(true);
  QAbstractButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event) {
  SetHover(false);
  QAbstractButton::leaveEvent(event);
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SetHover(false);
  QAbstractButton::mousePressEvent(event);
}

void SkinButton::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) && rect().contains(event->position().toPoint())) SetHover(true);
  QAbstractButton::mouseMoveEvent(event);
}

}  // namespace tavrix
