#include "picture/stretch_nearest.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tavrix {
namespace {

// Against the formula pixel by pixel, for stretches up and down, rows copied
// whole or pixel by pixel, at every pixel size, inside a larger destination
// whose bytes around the target must stay untouched.
TEST(StretchNearest, TakesThePixelUnderEachCentre) {
  struct Case {
    int sourceWidth, sourceHeight, width, height;
  };
  const Case cases[] = {
      {640, 224, 640, 448},  // line doubling: rows copied whole
      {640, 224, 320, 224},  // half width
      {6, 4, 7, 9},          // up by uneven factors
      {9, 7, 4, 3},          // down by uneven factors
      {5, 3, 5, 3},          // same size
      {320, 136, 641, 449},
  };
  std::mt19937 random(3);
  for (int bytesPerPixel : {2, 3, 4}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << bytesPerPixel << " bytes, " << c.sourceWidth << "x" << c.sourceHeight
                                        << " to " << c.width << "x" << c.height);
      const std::ptrdiff_t sourceStride = c.sourceWidth * bytesPerPixel + 5;
      std::vector<std::uint8_t> source(static_cast<std::size_t>(sourceStride * c.sourceHeight));
      for (auto& b : source) b = static_cast<std::uint8_t>(random());
      // Two pixels of margin on every side of the target.
      const std::ptrdiff_t stride = (c.width + 4) * bytesPerPixel;
      std::vector<std::uint8_t> destination(static_cast<std::size_t>(stride * (c.height + 4)), 0xA5);
      const std::ptrdiff_t origin = 2 * stride + 2 * bytesPerPixel;
      StretchNearest({source.data(), c.sourceWidth, c.sourceHeight, sourceStride},
                     {destination.data() + origin, c.width, c.height, stride}, bytesPerPixel);
      for (int y = -2; y < c.height + 2; ++y) {
        for (int x = -2; x < c.width + 2; ++x) {
          for (int byte = 0; byte < bytesPerPixel; ++byte) {
            const std::uint8_t got = destination[static_cast<std::size_t>(origin + y * stride + x * bytesPerPixel + byte)];
            if (x < 0 || y < 0 || x >= c.width || y >= c.height) {
              ASSERT_EQ(got, 0xA5) << "outside at " << x << "," << y;
              continue;
            }
            const int sx = (2 * x + 1) * c.sourceWidth / (2 * c.width);
            const int sy = (2 * y + 1) * c.sourceHeight / (2 * c.height);
            ASSERT_EQ(got, source[static_cast<std::size_t>(sy * sourceStride + sx * bytesPerPixel + byte)])
                << x << "," << y;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tavrix
