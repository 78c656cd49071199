#pragma once

namespace tavrix {

// Where a slider's thumb sits along its travel, in pixels of the slider, and
// back. The travel is `length` pixels (the slider's width, or height when
// vertical) less the margins; the thumb's centre moves between
// FirstPixel() and LastPixel().
struct SliderGeometry {
  int minimum = 0;
  int maximum = 100;
  int length = 0;
  int thumbLength = 0;
  int marginStart = 0;
  int marginEnd = 0;

  // The thumb's centre for a position in [minimum, maximum]; a range without
  // extent keeps the thumb at the start of its travel.
  int PositionToPixel(int position) const;
  // The position whose thumb centre is nearest below `pixel`, unclamped;
  // `minimum` when the thumb fills the whole travel.
  int PixelToPosition(int pixel) const;

  int FirstPixel() const { return marginStart + thumbLength / 2; }
  int LastPixel() const { return length - marginEnd - thumbLength / 2; }
  int Travel() const { return length - marginEnd - marginStart - thumbLength; }
};

}  // namespace tavrix
