#pragma once
#include <functional>

#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

namespace tavrix {

// The four pictures of a button strip, in slice order.
enum class FaceState { kNormal, kPressed, kHover, kDisabled };

// The looks of a button body.
enum class FaceStyle {
  kTransport,   // the playback and remote-key rows
  kTitle,       // the small buttons on the title bar
  kTitleClose,  // the close button: red when hovered or pressed
  kPill,        // the mode switches and the AVI button: pressed or checked shows lit
};

QPainterPath FaceShape(const QRectF& rect, FaceStyle style);
void DrawFace(QPainter& painter, const QRectF& rect, FaceState state, FaceStyle style);

// The colour a glyph takes on a face in the given state.
QColor GlyphColour(FaceState state, FaceStyle style);

// Builds a five-slice button strip: normal, pressed, hover, disabled, and the
// mask (black where the button is, white where the background shows, grey on
// its anti-aliased edge). Each slice is `slice` logical pixels, drawn at the
// whole device pixel ratio `scale`; paintSlice draws one state into its rect.
using SlicePainter = std::function<void(QPainter&, const QRectF&, FaceState)>;
QPixmap MakeButtonStrip(QSize slice, int scale, const QPainterPath& shape, const SlicePainter& paintSlice);

}  // namespace tavrix
