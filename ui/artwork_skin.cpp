#include "ui/artwork_skin.h"

#include <array>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "ui/artwork_glyphs.h"
#include "ui/artwork_palette.h"

namespace tavrix {
namespace {

// Where the window's parts fall on the background, counted from its edges.
constexpr int kTitleHeight = 25;
constexpr int kPanelHeight = 74;
constexpr int kLeftFrame = 2;
constexpr int kRightFrame = 2;
// The status line's well, 1 pixel around the control.
constexpr int kWellLeft = 12;
constexpr int kWellRightFromEdge = 102;
constexpr int kWellHeight = 19;

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QFont SmallFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(true);
  return font;
}

void PaintKnob(QPainter& painter, const QRectF& rect, bool active) {
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
  gradient.setColorAt(0, active ? QColor(0x9a, 0xdc, 0xff) : QColor(0xe4, 0xe7, 0xeb));
  gradient.setColorAt(1, active ? QColor(0x2c, 0x8f, 0xd6) : QColor(0x8c, 0x91, 0x99));
  painter.setPen(QPen(QColor(0x0c, 0x0d, 0x0f), 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(rect, 2.5, 2.5);
  painter.setPen(QPen(active ? QColor(0x10, 0x3a, 0x5c) : QColor(0x4a, 0x4e, 0x55), 1));
  const qreal middle = rect.center().x();
  painter.drawLine(QPointF(middle, rect.top() + 3), QPointF(middle, rect.bottom() - 3));
}

}  // namespace

QColor PanelColour(qreal y) {
  return Mix(palette::kPanelTop, palette::kPanelBottom, qBound<qreal>(0, y / kPanelHeight, 1));
}

void PaintBackground(QPainter& painter) {
  const int w = kBackgroundSize.width();
  const int h = kBackgroundSize.height();
  painter.fillRect(0, 0, w, h, palette::kScreen);

  QLinearGradient title(0, 0, 0, kTitleHeight);
  title.setColorAt(0, palette::kTitleTop);
  title.setColorAt(1, palette::kTitleBottom);
  painter.fillRect(0, 0, w, kTitleHeight - 1, title);
  painter.fillRect(0, 1, w, 1, QColor(255, 255, 255, 28));
  painter.fillRect(0, kTitleHeight - 1, w, 1, QColor(0x12, 0x13, 0x15));

  const int panelTop = h - kPanelHeight;
  QLinearGradient panel(0, panelTop, 0, h);
  panel.setColorAt(0, palette::kPanelTop);
  panel.setColorAt(1, palette::kPanelBottom);
  painter.fillRect(0, panelTop, w, kPanelHeight, panel);
  painter.fillRect(0, panelTop, w, 1, QColor(255, 255, 255, 22));

  // The frame beside the video area.
  painter.fillRect(0, kTitleHeight, kLeftFrame, panelTop - kTitleHeight, palette::kTitleBottom);
  painter.fillRect(w - kRightFrame, kTitleHeight, kRightFrame, panelTop - kTitleHeight, palette::kTitleBottom);

  // The sunken well of the status line.
  const QRect well(kWellLeft, panelTop, w - kWellRightFromEdge - kWellLeft + 1, kWellHeight);
  painter.fillRect(well, palette::kScreen);
  painter.fillRect(well.left(), well.top(), well.width(), 1, QColor(0x08, 0x08, 0x09));
  painter.fillRect(well.left(), well.top(), 1, well.height(), QColor(0x08, 0x08, 0x09));
  painter.fillRect(well.left(), well.bottom(), well.width(), 1, QColor(255, 255, 255, 30));
  painter.fillRect(well.right(), well.top(), 1, well.height(), QColor(255, 255, 255, 30));

  // The name engraved on the panel beside the status line.
  painter.setFont(SmallFont(10));
  const QRect mark(w - kWellRightFromEdge + 6, panelTop + 1, kWellRightFromEdge - 14, kWellHeight);
  painter.setPen(QColor(0, 0, 0, 150));
  painter.drawText(mark.translated(0, 1), Qt::AlignCenter, QStringLiteral("T A V R I X"));
  painter.setPen(QColor(0x6a, 0x70, 0x7a));
  painter.drawText(mark, Qt::AlignCenter, QStringLiteral("T A V R I X"));

  // Outline with rounded corners, matching the window's region.
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(palette::kOutline, 1));
  painter.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
  painter.setPen(QPen(QColor(255, 255, 255, 18), 1));
  painter.drawLine(QPointF(6, 1.5), QPointF(w - 6, 1.5));
}

void PaintPositionTrack(QPainter& painter, bool active) {
  const QSize size = kPositionTrackSize;
  // The track sits 23 pixels below the top of the bottom panel.
  for (int y = 0; y < size.height(); ++y) painter.fillRect(0, y, size.width(), 1, PanelColour(23 + y));
  const QRect groove(0, 4, size.width(), 4);
  painter.fillRect(groove.adjusted(0, -1, 0, 1), QColor(0x08, 0x09, 0x0a));
  if (active) {
    QLinearGradient lit(0, groove.top(), 0, groove.bottom());
    lit.setColorAt(0, QColor(0x8f, 0xd6, 0xff));
    lit.setColorAt(1, QColor(0x1f, 0x7c, 0xc4));
    painter.fillRect(groove, lit);
  } else {
    painter.fillRect(groove, QColor(0x1a, 0x1c, 0x20));
  }
  painter.fillRect(0, groove.bottom() + 2, size.width(), 1, QColor(255, 255, 255, 25));
}

void PaintPositionThumb(QPainter& painter, bool active) {
  PaintKnob(painter, QRectF(0.5, 0.5, kPositionThumbSize.width() - 1, kPositionThumbSize.height() - 1), active);
}

void PaintVolumeTrack(QPainter& painter, bool active) {
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath wedge;
  wedge.addPolygon(QPolygonF{{{4, 11}, {60, 11}, {60, 1.5}, {4, 9.5}, {4, 11}}});
  if (active) {
    QLinearGradient lit(4, 0, 60, 0);
    lit.setColorAt(0, QColor(0x1f, 0x7c, 0xc4));
    lit.setColorAt(1, QColor(0x8f, 0xd6, 0xff));
    painter.setBrush(lit);
  } else {
    painter.setBrush(QColor(0x15, 0x17, 0x1a));
  }
  painter.setPen(QPen(QColor(0x08, 0x09, 0x0a), 1));
  painter.drawPath(wedge);
}

void PaintVolumeThumb(QPainter& painter, bool active) {
  PaintKnob(painter, QRectF(0.5, 0.5, kVolumeThumbSize.width() - 1, kVolumeThumbSize.height() - 1), active);
}

QImage FlattenOnColourKey(const QImage& drawing, const QColor& matte) {
  QImage flat = drawing.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = palette::kKey.rgb();
  for (int y = 0; y < flat.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(flat.scanLine(y));
    for (int x = 0; x < flat.width(); ++x) {
      const int alpha = qAlpha(line[x]);
      if (alpha < 48) {
        line[x] = key;
        continue;
      }
      const QColor over = Mix(matte, QColor::fromRgb(line[x]), alpha / 255.0);
      line[x] = over.rgb();
    }
  }
  return flat.convertToFormat(QImage::Format_RGB32);
}

void PaintStatusIcons(QPainter& painter) {
  const QColor light = palette::kAccent;
  const QColor dark = palette::kAccentDark;
  painter.fillRect(0, 0, kStatusIconsSize.width(), kStatusIconsSize.height(), Qt::black);

  // Playback states, one 16 x 16 icon a row from row 16 on.
  const std::array<Glyph, 5> playback = {Glyph::kPlay, Glyph::kPlayReverse, Glyph::kPause, Glyph::kStop, Glyph::kSearch};
  for (int index = 0; index < 5; ++index) {
    DrawGlyph(painter, playback[index], QRectF(1, 16 * (index + 1) + 1, 14, 14), light);
  }

  // Connection states: a lamp and the state's name, 102 pixels wide.
  const std::array<const char*, 7> states = {"IDLE", "CONNECTING", "LOGGING IN", "ONLINE",
                                             "DDNS CONNECT", "DDNS QUERY", "DDNS OK"};
  painter.setFont(SmallFont(9));
  for (int state = 0; state < 7; ++state) {
    const QRectF row(16, 16 * state, 102, 16);
    const bool online = state == 3;
    const bool settled = online || state == 6;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(online ? palette::kStatusText : settled ? light : state == 0 ? dark : QColor(0xff, 0xb0, 0x3a));
    painter.drawEllipse(QPointF(row.left() + 7, row.center().y()), 3.5, 3.5);
    painter.setPen(state == 0 ? dark : light);
    painter.drawText(row.adjusted(15, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(states[state]));
  }

  // Channel indicators, dark in row 0 and lit in row 16 (online).
  for (int row = 0; row < 2; ++row) {
    const bool lit = row == 1;
    for (int channel = 0; channel < 4; ++channel) {
      const QRectF cell(128 + 24 * channel + 2, 16 * row + 2, 20, 12);
      painter.setPen(QPen(lit ? light : dark, 1));
      painter.setBrush(lit ? light : Qt::black);
      painter.drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
      DrawLabel(painter, QString::number(channel + 1), cell, lit ? Qt::black : dark, 9);
    }
    DrawGlyph(painter, Glyph::kSpeaker, QRectF(356 + 3, 16 * row + 1, 14, 14), lit ? light : dark);
  }
}

void PaintLogo(QPainter& painter, const QRectF& rect, bool dimmed) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(rect.topLeft());
  painter.scale(rect.width() / 32, rect.height() / 32);
  QLinearGradient body(0, 0, 0, 32);
  body.setColorAt(0, QColor(0x4a, 0x4f, 0x58));
  body.setColorAt(1, QColor(0x1c, 0x1e, 0x22));
  painter.setPen(QPen(QColor(0x08, 0x09, 0x0a), 1));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 7, 7);
  const QColor accent = dimmed ? palette::kGlyphDisabled : palette::kAccent;
  QRadialGradient glow(16, 16, 12);
  glow.setColorAt(0, QColor(accent.red(), accent.green(), accent.blue(), 90));
  glow.setColorAt(1, QColor(accent.red(), accent.green(), accent.blue(), 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawEllipse(QPointF(16, 16), 12, 12);
  painter.setPen(QPen(accent, 2.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(16, 16), 10, 10);
  painter.setPen(Qt::NoPen);
  painter.setBrush(dimmed ? palette::kGlyphDisabled : palette::kGlyphHover);
  painter.drawPolygon(QPolygonF{{{13, 10.5}, {22, 16}, {13, 21.5}}});
  painter.restore();
}

}  // namespace tavrix
