#include "ui/artwork_glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/artwork_palette.h"

namespace tavrix {
namespace {

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
  QPainterPath path;
  path.addPolygon(QPolygonF{{a, b, c, a}});
  return path;
}

QPainterPath Box(qreal x, qreal y, qreal w, qreal h) {
  QPainterPath path;
  path.addRect(x, y, w, h);
  return path;
}

QPainterPath Grid(int cells) {
  const qreal gap = cells == 1 ? 0 : 1;
  const qreal size = (12 - gap * (cells - 1)) / cells;
  QPainterPath path;
  for (int row = 0; row < cells; ++row) {
    for (int column = 0; column < cells; ++column) {
      path.addRoundedRect(2 + column * (size + gap), 2 + row * (size + gap), size, size, 0.8, 0.8);
    }
  }
  return path;
}

QPainterPath Speaker() {
  QPainterPath path = Box(2, 6, 3, 4);
  path.addPolygon(QPolygonF{{{5, 6}, {9, 2.5}, {9, 13.5}, {5, 10}, {5, 6}}});
  return path;
}

QPainterPath Plug() {
  QPainterPath path;
  path.addRoundedRect(4, 6, 8, 5, 1.2, 1.2);
  path.addRect(5.5, 2, 1.5, 4);
  path.addRect(9, 2, 1.5, 4);
  path.addRect(7.25, 11, 1.5, 3.5);
  return path;
}

QPainterPath Camera() {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addRoundedRect(1.5, 5, 13, 8.5, 1.5, 1.5);
  path.addEllipse(QPointF(8, 9.25), 2.75, 2.75);
  path.addEllipse(QPointF(8, 9.25), 1.2, 1.2);
  QPainterPath bump;
  bump.addRoundedRect(5, 3, 6, 2.5, 0.8, 0.8);
  return path.united(bump);
}

QPainterPath Film() {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addRoundedRect(1.5, 3, 13, 10, 1.2, 1.2);
  path.addRect(4.5, 5, 7, 6);
  for (int hole = 0; hole < 3; ++hole) {
    path.addRect(2.5, 4.5 + hole * 2.75, 1, 1.5);
    path.addRect(12.5, 4.5 + hole * 2.75, 1, 1.5);
  }
  return path;
}

QPainterPath Monitor() {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addRoundedRect(1.5, 2.5, 13, 9, 1.2, 1.2);
  path.addRect(3, 4, 10, 6);
  path.addRect(7, 11.5, 2, 1.5);
  path.addRoundedRect(4.5, 13, 7, 1.5, 0.6, 0.6);
  return path;
}

// Shapes drawn with a pen rather than filled.
void StrokeLines(QPainter& painter, const QColor& colour, qreal width, std::initializer_list<QLineF> lines) {
  painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  for (const QLineF& line : lines) painter.drawLine(line);
}

void StrokeWaves(QPainter& painter, const QColor& colour) {
  painter.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(6.5, 5.5, 5, 5), -50 * 16, 100 * 16);
  painter.drawArc(QRectF(4.5, 3, 9.5, 10), -50 * 16, 100 * 16);
}

}  // namespace

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(box.topLeft());
  painter.scale(box.width() / 16, box.height() / 16);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);

  switch (glyph) {
    case Glyph::kPlay: painter.drawPath(Triangle({5, 3}, {13, 8}, {5, 13})); break;
    case Glyph::kPlayReverse: painter.drawPath(Triangle({11, 3}, {3, 8}, {11, 13})); break;
    case Glyph::kPause: painter.drawPath(Box(4, 3, 3, 10).united(Box(9, 3, 3, 10))); break;
    case Glyph::kFastForward:
      painter.drawPath(Triangle({1.5, 4}, {8, 8}, {1.5, 12}).united(Triangle({8, 4}, {14.5, 8}, {8, 12})));
      break;
    case Glyph::kFastRewind:
      painter.drawPath(Triangle({14.5, 4}, {8, 8}, {14.5, 12}).united(Triangle({8, 4}, {1.5, 8}, {8, 12})));
      break;
    case Glyph::kNextFrame: painter.drawPath(Triangle({3, 3}, {10, 8}, {3, 13}).united(Box(11, 3, 2, 10))); break;
    case Glyph::kPreviousFrame: painter.drawPath(Triangle({13, 3}, {6, 8}, {13, 13}).united(Box(3, 3, 2, 10))); break;
    case Glyph::kStop: painter.drawPath(Box(4, 4, 8, 8)); break;
    case Glyph::kRecord: painter.drawEllipse(QPointF(8, 8), 5, 5); break;
    case Glyph::kSearch:
      painter.drawPath(Triangle({1.5, 4}, {8, 8}, {1.5, 12}).united(Triangle({8, 4}, {14.5, 8}, {8, 12})));
      painter.drawRect(QRectF(1.5, 13, 13, 1.5));
      break;
    case Glyph::kEject: painter.drawPath(Triangle({8, 2.5}, {14, 9}, {2, 9}).united(Box(2, 11, 12, 2.5))); break;
    case Glyph::kCamera: painter.drawPath(Camera()); break;
    case Glyph::kSplit1: painter.drawPath(Grid(1)); break;
    case Glyph::kSplit4: painter.drawPath(Grid(2)); break;
    case Glyph::kSplit9: painter.drawPath(Grid(3)); break;
    case Glyph::kSplit16: painter.drawPath(Grid(4)); break;
    case Glyph::kSpeaker:
      painter.drawPath(Speaker());
      StrokeWaves(painter, colour);
      break;
    case Glyph::kSpeakerMuted:
      painter.drawPath(Speaker());
      StrokeLines(painter, palette::kRecord, 1.6, {QLineF(10.5, 5.5, 14.5, 10.5), QLineF(14.5, 5.5, 10.5, 10.5)});
      break;
    case Glyph::kPlug: painter.drawPath(Plug()); break;
    case Glyph::kPlugCrossed:
      painter.drawPath(Plug());
      StrokeLines(painter, palette::kRecord, 1.6, {QLineF(2.5, 13.5, 13.5, 2.5)});
      break;
    case Glyph::kMenu:
      painter.drawPath(Box(3, 4, 10, 1.75).united(Box(3, 7.25, 10, 1.75)).united(Box(3, 10.5, 10, 1.75)));
      break;
    case Glyph::kUp: painter.drawPath(Triangle({8, 4}, {13.5, 11}, {2.5, 11})); break;
    case Glyph::kDown: painter.drawPath(Triangle({8, 12}, {13.5, 5}, {2.5, 5})); break;
    case Glyph::kSelect:
      StrokeLines(painter, colour, 1.8, {QLineF(12.5, 3, 12.5, 9), QLineF(12.5, 9, 6, 9)});
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawPath(Triangle({2.5, 9}, {6.5, 5.5}, {6.5, 12.5}));
      break;
    case Glyph::kMinimize: painter.drawPath(Box(4, 10.5, 8, 2)); break;
    case Glyph::kClose: StrokeLines(painter, colour, 1.8, {QLineF(4.5, 4.5, 11.5, 11.5), QLineF(11.5, 4.5, 4.5, 11.5)}); break;
    case Glyph::kFilm: painter.drawPath(Film()); break;
    case Glyph::kMonitor: painter.drawPath(Monitor()); break;
  }
  painter.restore();
}

void DrawLabel(QPainter& painter, const QString& text, const QRectF& box, const QColor& colour, int pixelSize) {
  painter.save();
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
  painter.restore();
}

}  // namespace tavrix
