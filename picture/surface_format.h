#pragma once

namespace tavrix {

// Packed pixel layout of a presentation surface, most significant bits first.
enum class SurfaceFormat : int {
  kRgb555 = 1,  // 16 bits, X1R5G5B5
  kRgb565 = 2,  // 16 bits, R5G6B5
  kBgr565 = 3,  // 16 bits, B5G6R5
  kBgr24 = 4,   // 24 bits, bytes B, G, R
  kXrgb32 = 5,  // 32 bits, bytes B, G, R, 0
};

constexpr int BytesPerPixel(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::kBgr24:
      return 3;
    case SurfaceFormat::kXrgb32:
      return 4;
    default:
      return 2;
  }
}

}  // namespace tavrix
