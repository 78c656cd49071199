#include "picture/colour_surface.h"

#include <gtest/gtest.h>

#include <vector>

#include "picture/colour_conversion.h"

namespace tavrix {
namespace {

struct Bgr {
  int b, g, r;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};

// One pixel of each format back to B, G, R.
TEST(SurfaceToBgr24, WidensComponentsWithZeroLowBits) {
  struct Case {
    SurfaceFormat format;
    std::vector<std::uint8_t> pixel;
    Bgr expected;
  };
  const Case cases[] = {
      {SurfaceFormat::kRgb565, {0x00, 0xF8}, {0, 0, 248}},
      {SurfaceFormat::kRgb565, {0x1F, 0x00}, {248, 0, 0}},
      {SurfaceFormat::kRgb565, {0xE0, 0x07}, {0, 252, 0}},
      {SurfaceFormat::kRgb555, {0xFF, 0x7F}, {248, 248, 248}},
      {SurfaceFormat::kRgb555, {0x00, 0x7C}, {0, 0, 248}},
      {SurfaceFormat::kBgr565, {0x00, 0xF8}, {248, 0, 0}},
      {SurfaceFormat::kBgr24, {10, 20, 30}, {10, 20, 30}},
      {SurfaceFormat::kXrgb32, {10, 20, 30, 99}, {10, 20, 30}},
  };
  for (const Case& c : cases) {
    std::uint8_t out[3];
    SurfaceToBgr24BottomUp(c.format, out, c.pixel.data(), 1, 1);
    EXPECT_EQ((Bgr{out[0], out[1], out[2]}), c.expected) << static_cast<int>(c.format);
  }
}

// Converting a picture forward to each layout and back gives the bottom-up
// 24-bit picture up to the bits the layout drops.
TEST(SurfaceToBgr24, RoundTripThroughEveryLayoutFlipsRows) {
  const int width = 6, height = 4;  // 6 x 3 bytes: rows not a multiple of 4
  std::vector<std::uint8_t> picture(width * height * 3 / 2);
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<std::uint8_t>(37 * i + 11);
  std::vector<std::uint8_t> reference(width * height * 3);
  YuvToBgr24BottomUp(reference.data(), picture.data(), width, height);

  struct Case {
    SurfaceFormat format;
    void (*forward)(std::uint8_t*, const std::uint8_t*, int, int);
    int lostBits;  // of the coarsest component
  };
  for (const Case& c : {Case{SurfaceFormat::kRgb555, YuvToRgb555, 3}, Case{SurfaceFormat::kRgb565, YuvToRgb565, 3},
                        Case{SurfaceFormat::kBgr565, YuvToBgr565, 3}, Case{SurfaceFormat::kBgr24, YuvToBgr24, 0},
                        Case{SurfaceFormat::kXrgb32, YuvToXrgb32, 0}}) {
    std::vector<std::uint8_t> surface(width * height * BytesPerPixel(c.format));
    c.forward(surface.data(), picture.data(), width, height);
    std::vector<std::uint8_t> back(width * height * 3);
    SurfaceToBgr24BottomUp(c.format, back.data(), surface.data(), width, height);
    for (std::size_t i = 0; i < back.size(); ++i) {
      ASSERT_EQ(back[i] >> c.lostBits, reference[i] >> c.lostBits) << static_cast<int>(c.format) << " byte " << i;
    }
  }
}

}  // namespace
}  // namespace tavrix
