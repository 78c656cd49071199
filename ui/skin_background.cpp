#include "ui/skin_background.h"

#include <cmath>

#include <QPainter>

namespace tavrix {
namespace {

// Copies source (logical pixels of the bitmap) into target, stretched when
// the sizes differ. Pieces of no width or height are skipped: a window
// narrower than the bitmap has no stretched edge.
void Blit(QPainter& painter, const QPixmap& bitmap, const QRect& target, const QRect& source) {
  if (target.width() <= 0 || target.height() <= 0 || source.width() <= 0 || source.height() <= 0) return;
  const qreal ratio = bitmap.devicePixelRatio();
  const QRectF physical(source.x() * ratio, source.y() * ratio, source.width() * ratio, source.height() * ratio);
  painter.drawPixmap(QRectF(target), bitmap, physical);
}

}  // namespace

QPixmap ComposeSkinBackground(const QPixmap& bitmap, QSize client, const QColor& fill) {
  const qreal ratio = bitmap.devicePixelRatio();
  QPixmap canvas(client * ratio);
  canvas.setDevicePixelRatio(ratio);
  canvas.fill(fill);
  const QSize logical = bitmap.deviceIndependentSize().toSize();
  const int w = logical.width();
  const int h = logical.height();
  const int cx = client.width();
  const int cy = client.height();
  const int halfW = w / 2;
  const int halfH = h / 2;
  const int right = cx - halfW - 1;
  const int bottom = cy - halfH - 1;

  QPainter painter(&canvas);
  // Corners.
  Blit(painter, bitmap, QRect(0, 0, halfW, halfH), QRect(0, 0, halfW, halfH));
  Blit(painter, bitmap, QRect(right, 0, halfW, halfH), QRect(halfW, 0, halfW, halfH));
  Blit(painter, bitmap, QRect(0, bottom, halfW, halfH), QRect(0, halfH, halfW, halfH));
  Blit(painter, bitmap, QRect(right, bottom, halfW, halfH), QRect(halfW, halfH, halfW, halfH));
  // Top and bottom edges, from a strip W/10 wide.
  Blit(painter, bitmap, QRect(halfW, 0, cx - w, halfH), QRect(halfW, 0, w / 10, halfH));
  Blit(painter, bitmap, QRect(halfW, bottom, cx - w, halfH), QRect(halfW, halfH, w / 10, halfH));
  // Left and right edges, from a strip H/10 high.
  Blit(painter, bitmap, QRect(0, halfH, halfW, cy - h), QRect(0, halfH, halfW, h / 10));
  Blit(painter, bitmap, QRect(right, halfH, halfW, cy - h), QRect(halfW, halfH, halfW, h / 10));
  return canvas;
}

QRegion RoundRectRegion(QSize size, int ellipseWidth, int ellipseHeight) {
  const QRect whole(QPoint(0, 0), size);
  if (ellipseWidth <= 0 || ellipseHeight <= 0 || size.isEmpty()) return QRegion(whole);
  const qreal a = std::min(ellipseWidth, size.width()) / 2.0;
  const qreal b = std::min(ellipseHeight, size.height()) / 2.0;
  QRegion region;
  // One span per pixel row; rows within b of the top or bottom are narrowed
  // by the corner ellipse, measured at the row's centre.
  for (int y = 0; y < size.height(); ++y) {
    const qreal fromEdge = std::min(y + 0.5, size.height() - y - 0.5);
    int inset = 0;
    if (fromEdge < b) {
      const qreal dy = (b - fromEdge) / b;
      inset = static_cast<int>(std::lround(a - a * std::sqrt(std::max<qreal>(0, 1 - dy * dy))));
    }
    region += QRect(inset, y, size.width() - 2 * inset, 1);
  }
  return region;
}

}  // namespace tavrix
