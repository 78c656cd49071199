#pragma once
#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QSize>

namespace tavrix {

// Stretches a W x H background over a client area of any size: the four
// W/2 x H/2 quarters of the bitmap go to the four corners, strips from the
// middle of its edges are stretched along the window's edges, and the centre
// keeps `fill` (a child window normally covers it). The right and bottom
// pieces end one pixel short of the client's right and bottom edges, where
// `fill` shows as a thin outline. All sizes are logical pixels; the result
// has the bitmap's device pixel ratio.
QPixmap ComposeSkinBackground(const QPixmap& bitmap, QSize client, const QColor& fill);

// The region of a rectangle of `size` with its corners rounded by an ellipse
// of ellipseWidth x ellipseHeight; the whole rectangle when either is 0.
QRegion RoundRectRegion(QSize size, int ellipseWidth, int ellipseHeight);

}  // namespace tavrix
