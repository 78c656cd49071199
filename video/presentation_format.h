#pragma once
#include <QImage>
#include <optional>
#include <string>

#include "picture/surface_format.h"

namespace tavrix {

// The screen's own pixel layout, as the accelerated path converts pictures
// into it, and the image format that holds it.
struct PresentationFormat {
  SurfaceFormat surface;
  QImage::Format image;
};

// The layout for a screen of `depth` bits per pixel: 15 gives X1R5G5B5, 16
// R5G6B5, 24 and 32 XRGB32 (a 24-bit screen keeps its pixels in 32 bits).
// Empty, with the reason in `error`, for palette screens and any other depth.
std::optional<PresentationFormat> PresentationFormatForDepth(int depth, std::string& error);

}  // namespace tavrix
