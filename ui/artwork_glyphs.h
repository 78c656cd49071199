#pragma once
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace tavrix {

// The symbols on the skin's buttons. Each is designed on a 16 x 16 grid and
// drawn scaled into the box it is given, so a 16-pixel box at any whole
// device pixel ratio keeps straight edges on pixel boundaries.
enum class Glyph {
  kPlay,
  kPlayReverse,
  kPause,
  kFastForward,
  kFastRewind,
  kNextFrame,
  kPreviousFrame,
  kStop,
  kRecord,
  kSearch,
  kEject,
  kCamera,
  kSplit1,
  kSplit4,
  kSplit9,
  kSplit16,
  kSpeaker,
  kSpeakerMuted,
  kPlug,
  kPlugCrossed,
  kMenu,
  kUp,
  kDown,
  kSelect,
  kMinimize,
  kClose,
  kFilm,
  kMonitor,
};

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour);

// A short bold text (a channel digit, a word on a pill button) centred in box.
void DrawLabel(QPainter& painter, const QString& text, const QRectF& box, const QColor& colour, int pixelSize);

}  // namespace tavrix
