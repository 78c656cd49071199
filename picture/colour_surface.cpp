#include "picture/colour_surface.h"

#include <cstddef>
#include <cstring>

namespace tavrix {
namespace {

// Surface row y goes to bitmap row height - 1 - y; `pixel(source, x, out)`
// writes the B, G, R bytes of pixel x.
template <typename Pixel>
void Flip(std::uint8_t* destination, const std::uint8_t* source, int width, int height, int bytesPerPixel,
          Pixel pixel) {
  const std::size_t sourceStride = static_cast<std::size_t>(width) * bytesPerPixel;
  const std::size_t destinationStride = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = source + sourceStride * static_cast<std::size_t>(y);
    std::uint8_t* out = destination + destinationStride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) pixel(in, x, out + 3 * x);
  }
}

std::uint32_t Word16(const std::uint8_t* in, int x) { return in[2 * x] | static_cast<std::uint32_t>(in[2 * x + 1]) << 8; }

void PutBgr(std::uint8_t* out, std::uint32_t b, std::uint32_t g, std::uint32_t r) {
  out[0] = static_cast<std::uint8_t>(b);
  out[1] = static_cast<std::uint8_t>(g);
  out[2] = static_cast<std::uint8_t>(r);
}

}  // namespace

void Rgb555ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Flip(destination, source, width, height, 2, [](const std::uint8_t* in, int x, std::uint8_t* out) {
    const std::uint32_t p = Word16(in, x);
    PutBgr(out, (p & 0x1F) << 3, ((p >> 5) & 0x1F) << 3, ((p >> 10) & 0x1F) << 3);
  });
}

void Rgb565ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Flip(destination, source, width, height, 2, [](const std::uint8_t* in, int x, std::uint8_t* out) {
    const std::uint32_t p = Word16(in, x);
    PutBgr(out, (p & 0x1F) << 3, ((p >> 5) & 0x3F) << 2, (p >> 11) << 3);
  });
}

void Bgr565ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Flip(destination, source, width, height, 2, [](const std::uint8_t* in, int x, std::uint8_t* out) {
    const std::uint32_t p = Word16(in, x);
    PutBgr(out, (p >> 11) << 3, ((p >> 5) & 0x3F) << 2, (p & 0x1F) << 3);
  });
}

void Bgr24ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    std::memcpy(destination + stride * static_cast<std::size_t>(height - 1 - y),
                source + stride * static_cast<std::size_t>(y), stride);
  }
}

void Xrgb32ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Flip(destination, source, width, height, 4, [](const std::uint8_t* in, int x, std::uint8_t* out) {
    PutBgr(out, in[4 * x], in[4 * x + 1], in[4 * x + 2]);
  });
}

void SurfaceToBgr24BottomUp(SurfaceFormat format, std::uint8_t* destination, const std::uint8_t* source, int width,
                            int height) {
  switch (format) {
    case SurfaceFormat::kRgb555:
      return Rgb555ToBgr24BottomUp(destination, source, width, height);
    case SurfaceFormat::kRgb565:
      return Rgb565ToBgr24BottomUp(destination, source, width, height);
    case SurfaceFormat::kBgr565:
      return Bgr565ToBgr24BottomUp(destination, source, width, height);
    case SurfaceFormat::kBgr24:
      return Bgr24ToBgr24BottomUp(destination, source, width, height);
    case SurfaceFormat::kXrgb32:
      return Xrgb32ToBgr24BottomUp(destination, source, width, height);
  }
}

}  // namespace tavrix
