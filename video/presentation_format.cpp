#include "video/presentation_format.h"

namespace tavrix {

std::optional<PresentationFormat> PresentationFormatForDepth(int depth, std::string& error) {
  switch (depth) {
    case 15:
      return PresentationFormat{SurfaceFormat::kRgb555, QImage::Format_RGB555};
    case 16:
      return PresentationFormat{SurfaceFormat::kRgb565, QImage::Format_RGB16};
    case 24:
    case 32:
      return PresentationFormat{SurfaceFormat::kXrgb32, QImage::Format_RGB32};
    default:
      error = depth <= 8 ? "Not support palette mode." : "Unknown pixel format";
      return std::nullopt;
  }
}

}  // namespace tavrix
