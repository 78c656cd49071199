#include "ui/slider_geometry.h"

#include <cmath>
#include <algorithm>
#include <cstdint>

namespace tavrix {

int SliderGeometry::PositionToPixel(int position) const {
  const double extent = static_cast<double>(maximum) - minimum;
  const double offset = static_cast<double>(position) - minimum;
  const double fraction = extent > 0 ? offset / extent : offset;
  return marginStart + static_cast<int>(fraction * Travel()) + thumbLength / 2;
}

int SliderGeometry::PixelToPosition(int pixel) const {
  const int travel = Travel();
  if (travel <= 0) return minimum;
  const double fraction = static_cast<double>(pixel - thumbLength / 2 - marginStart) / travel;
  const double position = minimum + std::trunc(fraction * (static_cast<double>(maximum) - minimum));
  // Far outside the travel the value may leave int; the caller clamps anyway.
  return static_cast<int>(std::clamp<double>(position, INT32_MIN, INT32_MAX));
}

}  // namespace tavrix
