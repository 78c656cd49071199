#include "ui/bitmap_slider.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/artwork.h"
#include "ui/artwork_palette.h"
#include "ui/picture_masks.h"

namespace tavrix {
namespace {

QPixmap Keyed(const QPixmap& picture, bool transparent, std::optional<QColor> key, QPoint sample) {
  if (picture.isNull() || !transparent) return picture;
  return ApplyColourKey(picture, key, sample);
}

// Loads a pair of pictures by number; an active number of 0 means none.
bool LoadPair(int number, int activeNumber, qreal ratio, QPixmap& picture, QPixmap& active) {
  picture = Artwork::Picture(number, ratio);
  active = activeNumber != 0 ? Artwork::Picture(activeNumber, ratio) : QPixmap();
  return !picture.isNull() && (activeNumber == 0 || !active.isNull());
}

QSize LogicalSize(const QPixmap& picture) {
  return picture.deviceIndependentSize().toSize();
}

}  // namespace

BitmapSlider::BitmapSlider(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), orientation_(orientation) {
  setFocusPolicy(Qt::StrongFocus);
}

QColor BitmapSlider::DefaultColourKey() {
  return palette::kKey;
}

bool BitmapSlider::SetTrackBitmaps(int track, int activeTrack, bool transparent, std::optional<QColor> key,
                                   QPoint sample) {
  if (track == 0) return SetTrackBitmaps(QPixmap(), QPixmap(), transparent, key, sample);
  QPixmap picture, active;
  if (!LoadPair(track, activeTrack, devicePixelRatioF(), picture, active)) return false;
  return SetTrackBitmaps(picture, active, transparent, key, sample);
}

bool BitmapSlider::SetTrackBitmaps(const QPixmap& track, const QPixmap& activeTrack, bool transparent,
                                   std::optional<QColor> key, QPoint sample) {
  track_ = Keyed(track, transparent, key, sample);
  activeTrack_ = track.isNull() ? QPixmap() : Keyed(activeTrack, transparent, key, sample);
  if (!track_.isNull()) resize(LogicalSize(track_));
  updateGeometry();
  update();
  return true;
}

bool BitmapSlider::SetThumbBitmaps(int thumb, int activeThumb, bool transparent, std::optional<QColor> key,
                                   QPoint sample) {
  if (thumb == 0) return SetThumbBitmaps(QPixmap(), QPixmap(), transparent, key, sample);
  QPixmap picture, active;
  if (!LoadPair(thumb, activeThumb, devicePixelRatioF(), picture, active)) return false;
  return SetThumbBitmaps(picture, active, transparent, key, sample);
}

bool BitmapSlider::SetThumbBitmaps(const QPixmap& thumb, const QPixmap& activeThumb, bool transparent,
                                   std::optional<QColor> key, QPoint sample) {
  thumb_ = Keyed(thumb, transparent, key, sample);
  activeThumb_ = thumb.isNull() ? QPixmap() : Keyed(activeThumb, transparent, key, sample);
  update();
  return true;
}

void BitmapSlider::SetStretchTrack(bool on) {
  stretchTrack_ = on;
  update();
}

void BitmapSlider::SetRange(int minimum, int maximum, bool redraw) {
  minimum_ = minimum;
  maximum_ = maximum;
  position_ = std::clamp(position_, minimum_, std::max(minimum_, maximum_));
  if (redraw) update();
}

void BitmapSlider::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, std::max(minimum_, maximum_));
  update();
}

void BitmapSlider::SetMargin(int left, int top, int right, int bottom) {
  margins_ = QMargins(left, top, right, bottom);
  update();
}

void BitmapSlider::SetDrawFocusRect(bool on, bool redraw) {
  drawFocusRect_ = on;
  if (redraw) update();
}

QSize BitmapSlider::TrackSize() const {
  // A stretched track, or none, spans the whole slider.
  if (track_.isNull() || stretchTrack_) return size();
  return LogicalSize(track_);
}

SliderGeometry BitmapSlider::Geometry() const {
  const bool horizontal = orientation_ == Qt::Horizontal;
  const QSize track = TrackSize();
  const QSize thumb = LogicalSize(thumb_);
  SliderGeometry geometry;
  geometry.minimum = minimum_;
  geometry.maximum = maximum_;
  geometry.length = horizontal ? track.width() : track.height();
  geometry.thumbLength = horizontal ? thumb.width() : thumb.height();
  geometry.marginStart = horizontal ? margins_.left() : margins_.top();
  geometry.marginEnd = horizontal ? margins_.right() : margins_.bottom();
  return geometry;
}

int BitmapSlider::ThumbCentre() const {
  return Geometry().PositionToPixel(position_);
}

int BitmapSlider::Along(const QPointF& point) const {
  return static_cast<int>(orientation_ == Qt::Horizontal ? point.x() : point.y());
}

QSize BitmapSlider::sizeHint() const {
  if (!track_.isNull()) return LogicalSize(track_);
  return thumb_.isNull() ? QSize(100, 16) : LogicalSize(thumb_);
}

void BitmapSlider::PaintTrack(QPainter& painter, int centre) {
  if (track_.isNull()) return;
  const bool horizontal = orientation_ == Qt::Horizontal;
  const QSize track = TrackSize();
  const QRect whole(QPoint(0, 0), track);
  const QRect before = horizontal ? QRect(0, 0, centre, track.height()) : QRect(0, 0, track.width(), centre);
  const QRect after = horizontal ? QRect(centre, 0, track.width() - centre, track.height())
                                 : QRect(0, centre, track.width(), track.height() - centre);
  const bool split = !activeTrack_.isNull() && (stretchTrack_ || isEnabled());
  // Each part shows the same stretch of its own picture, so the active and
  // the plain track meet seamlessly under the thumb.
  const auto drawPart = [&](const QPixmap& picture, const QRect& part) {
    if (part.isEmpty()) return;
    const QSizeF source = picture.size();
    const qreal sx = source.width() / whole.width();
    const qreal sy = source.height() / whole.height();
    painter.drawPixmap(QRectF(part), picture, QRectF(part.x() * sx, part.y() * sy, part.width() * sx, part.height() * sy));
  };
  if (split) {
    drawPart(activeTrack_, before);
    drawPart(track_, after);
  } else {
    drawPart(track_, whole);
  }
}

void BitmapSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int centre = ThumbCentre();
  PaintTrack(painter, centre);

  const QPixmap& thumb = dragging_ && !activeThumb_.isNull() ? activeThumb_ : thumb_;
  if (!thumb.isNull()) {
    const QSize size = LogicalSize(thumb);
    const QPoint at = orientation_ == Qt::Horizontal ? QPoint(centre - size.width() / 2, margins_.top())
                                                     : QPoint(margins_.left(), centre - size.height() / 2);
    painter.drawPixmap(at, thumb);
  }

  if (drawFocusRect_ && hasFocus() && isEnabled()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void BitmapSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  dragging_ = true;
  const int pointer = Along(event->position());
  const int distance = pointer - ThumbCentre();
  // A press on the thumb keeps the grab point under the pointer; anywhere
  // else the thumb jumps there.
  dragOffset_ = std::abs(distance) <= Geometry().thumbLength / 2 ? distance : 0;
  dragPixel_ = ThumbCentre();
  DragTo(pointer);
  update();
}

void BitmapSlider::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) DragTo(Along(event->position()));
}

void BitmapSlider::DragTo(int pointer) {
  const SliderGeometry geometry = Geometry();
  const int pixel = std::clamp(pointer - dragOffset_, geometry.FirstPixel(),
                               std::max(geometry.FirstPixel(), geometry.LastPixel()));
  // Compared with the last pixel dragged to rather than with the thumb's
  // centre: a position rounds the centre down, and the same pointer pixel
  // would otherwise report the same move again.
  if (pixel == dragPixel_) return;
  dragPixel_ = pixel;
  SetPosition(geometry.PixelToPosition(pixel));
  emit moved(position_);
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  update();
  emit released(position_);
}

void BitmapSlider::keyPressEvent(QKeyEvent* event) {
  long long target = position_;
  switch (event->key()) {
    case Qt::Key_PageUp: target -= page_; break;
    case Qt::Key_PageDown: target += page_; break;
    case Qt::Key_End: target = maximum_; break;
    case Qt::Key_Home: target = minimum_; break;
    case Qt::Key_Right:
    case Qt::Key_Down: target += 1; break;
    case Qt::Key_Left:
    case Qt::Key_Up: target -= 1; break;
    default: QWidget::keyPressEvent(event); return;
  }
  SetPosition(static_cast<int>(std::clamp<long long>(target, INT32_MIN, INT32_MAX)));
  emit released(position_);
}

void BitmapSlider::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void BitmapSlider::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

}  // namespace tavrix
