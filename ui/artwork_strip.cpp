#include "ui/artwork_strip.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "ui/artwork_palette.h"

namespace tavrix {
namespace {

struct FaceColours {
  QColor top, bottom, border, innerLine;
};

FaceColours ColoursFor(FaceState state, FaceStyle style) {
  const bool lit = style == FaceStyle::kPill && state == FaceState::kPressed;
  const bool danger = style == FaceStyle::kTitleClose && (state == FaceState::kHover || state == FaceState::kPressed);
  if (danger) {
    return state == FaceState::kHover
               ? FaceColours{QColor(0xd9, 0x4a, 0x4f), QColor(0x9e, 0x25, 0x2a), QColor(0x3a, 0x0c, 0x0e), QColor(255, 255, 255, 60)}
               : FaceColours{QColor(0x8a, 0x1e, 0x22), QColor(0xb3, 0x30, 0x35), QColor(0x2a, 0x08, 0x0a), QColor(0, 0, 0, 90)};
  }
  if (lit) {
    return {QColor(0x25, 0x5d, 0x88), QColor(0x16, 0x3a, 0x57), QColor(0x3f, 0xb5, 0xff, 200), QColor(255, 255, 255, 50)};
  }
  const bool title = style == FaceStyle::kTitle || style == FaceStyle::kTitleClose;
  switch (state) {
    case FaceState::kNormal:
      return title ? FaceColours{QColor(0x45, 0x49, 0x50), QColor(0x30, 0x33, 0x38), QColor(0x12, 0x13, 0x15), QColor(255, 255, 255, 30)}
                   : FaceColours{QColor(0x4b, 0x50, 0x58), QColor(0x2b, 0x2e, 0x33), QColor(0x0f, 0x10, 0x12), QColor(255, 255, 255, 45)};
    case FaceState::kHover:
      return {QColor(0x59, 0x5f, 0x68), QColor(0x34, 0x38, 0x3e), QColor(0x3f, 0xb5, 0xff, 170), QColor(255, 255, 255, 60)};
    case FaceState::kPressed:
      return {QColor(0x1b, 0x1d, 0x20), QColor(0x2c, 0x2f, 0x34), QColor(0x08, 0x09, 0x0a), QColor(0, 0, 0, 110)};
    case FaceState::kDisabled:
      break;
  }
  return {QColor(0x2d, 0x2f, 0x33), QColor(0x28, 0x2a, 0x2e), QColor(0x17, 0x18, 0x1b), QColor(255, 255, 255, 12)};
}

qreal Radius(const QRectF& rect, FaceStyle style) {
  return style == FaceStyle::kPill ? rect.height() / 2 : 4;
}

}  // namespace

QPainterPath FaceShape(const QRectF& rect, FaceStyle style) {
  QPainterPath path;
  const qreal radius = Radius(rect, style);
  path.addRoundedRect(rect, radius, radius);
  return path;
}

void DrawFace(QPainter& painter, const QRectF& rect, FaceState state, FaceStyle style) {
  const FaceColours colours = ColoursFor(state, style);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = Radius(body, style);
  QLinearGradient gradient(body.topLeft(), body.bottomLeft());
  gradient.setColorAt(0, colours.top);
  gradient.setColorAt(1, colours.bottom);
  painter.setPen(QPen(colours.border, 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(body, radius, radius);
  // A one-pixel line inside the top edge: a highlight on raised faces, a
  // shadow on sunken ones.
  painter.setPen(QPen(colours.innerLine, 1));
  painter.drawLine(QPointF(body.left() + radius, body.top() + 1), QPointF(body.right() - radius, body.top() + 1));
  painter.restore();
}

QColor GlyphColour(FaceState state, FaceStyle style) {
  switch (state) {
    case FaceState::kNormal: return palette::kGlyph;
    case FaceState::kHover: return palette::kGlyphHover;
    case FaceState::kPressed:
      return style == FaceStyle::kTransport || style == FaceStyle::kTitle ? palette::kAccent : palette::kGlyphHover;
    case FaceState::kDisabled: break;
  }
  return palette::kGlyphDisabled;
}

QPixmap MakeButtonStrip(QSize slice, int scale, const QPainterPath& shape, const SlicePainter& paintSlice) {
  QImage strip(slice.width() * 5 * scale, slice.height() * scale, QImage::Format_ARGB32_Premultiplied);
  strip.setDevicePixelRatio(scale);
  strip.fill(palette::kOutline);
  QPainter painter(&strip);
  const FaceState states[] = {FaceState::kNormal, FaceState::kPressed, FaceState::kHover, FaceState::kDisabled};
  for (int index = 0; index < 4; ++index) {
    const QRectF rect(index * slice.width(), 0, slice.width(), slice.height());
    painter.save();
    painter.setClipRect(rect);
    paintSlice(painter, rect, states[index]);
    painter.restore();
  }
  const QRectF maskRect(4 * slice.width(), 0, slice.width(), slice.height());
  painter.fillRect(maskRect, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPath(shape.translated(maskRect.topLeft()));
  painter.end();
  return QPixmap::fromImage(strip);
}

}  // namespace tavrix
