#include "picture/colour_conversion.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "picture/colour_rows.h"
#include "picture/colour_tables.h"

namespace tavrix {
namespace {

// A picture of width x height with uniform chroma and the given luminance.
std::vector<std::uint8_t> Uniform(int width, int height, std::uint8_t y, std::uint8_t cb, std::uint8_t cr) {
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width * height * 3 / 2));
  std::fill(picture.begin(), picture.begin() + width * height, y);
  std::fill(picture.begin() + width * height, picture.begin() + width * height * 5 / 4, cb);
  std::fill(picture.begin() + width * height * 5 / 4, picture.end(), cr);
  return picture;
}

struct Bgr {
  int b, g, r;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};

Bgr Convert24(std::uint8_t y, std::uint8_t cb, std::uint8_t cr) {
  const auto picture = Uniform(2, 2, y, cb, cr);
  std::uint8_t out[12];
  YuvToBgr24(out, picture.data(), 2, 2);
  return {out[0], out[1], out[2]};
}

TEST(ColourTables, ClampTableLimitsToOneThrough255) {
  EXPECT_EQ(kClampTable[-320], 1);
  EXPECT_EQ(kClampTable[0], 1);
  EXPECT_EQ(kClampTable[1], 1);
  EXPECT_EQ(kClampTable[2], 2);
  EXPECT_EQ(kClampTable[255], 255);
  EXPECT_EQ(kClampTable[575], 255);
  EXPECT_EQ(kColourTables.crToRed[255], 1436 * 127);
  EXPECT_EQ(kColourTables.cbToBlue[0], -1815 * 128);
}

TEST(ColourConversion, PixelFormula) {
  struct Case {
    std::uint8_t y, cb, cr;
    Bgr expected;
  };
  const Case cases[] = {
      {0, 128, 128, {1, 1, 1}},        // black is 1, never 0
      {255, 128, 128, {255, 255, 255}},
      {128, 128, 255, {128, 37, 255}},  // ClampTable[306] and [37]
      {0, 0, 128, {1, 44, 1}},          // blue ClampTable[-227] = 1; green (45056 >> 10) = 44
      {100, 200, 60, {227, 123, 4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert24(c.y, c.cb, c.cr), c.expected) << int{c.y} << " " << int{c.cb} << " " << int{c.cr};
  }
}

// Every packed layout of one pixel value, through its own packing rule.
TEST(ColourConversion, PackedLayouts) {
  const auto white = Uniform(2, 2, 255, 128, 128);
  const auto sample = Uniform(2, 2, 100, 200, 60);  // B 227, G 123, R 4
  struct Case {
    const char* name;
    std::function<void(std::uint8_t*, const std::uint8_t*, int, int)> convert;
    std::vector<std::uint8_t> whiteFirstPixel, sampleFirstPixel;
  };
  const Case cases[] = {
      // 555: 0 00000 01111 11100; 565: 00000 011110 11100; bgr565: 11100 011110 00000
      {"555", YuvToRgb555, {0xFF, 0x7F}, {0xFC, 0x01}},
      {"565", YuvToRgb565, {0xFF, 0xFF}, {0xDC, 0x03}},
      {"bgr565", YuvToBgr565, {0xFF, 0xFF}, {0xC0, 0xE3}},
      {"bgr24", YuvToBgr24, {255, 255, 255}, {227, 123, 4}},
      {"xrgb32", YuvToXrgb32, {255, 255, 255, 0}, {227, 123, 4, 0}},
  };
  for (const Case& c : cases) {
    std::uint8_t out[16] = {};
    c.convert(out, white.data(), 2, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + c.whiteFirstPixel.size()), c.whiteFirstPixel) << c.name;
    c.convert(out, sample.data(), 2, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + c.sampleFirstPixel.size()), c.sampleFirstPixel) << c.name;
  }
}

// Chroma is shared by each 2x2 block and never blended across blocks.
TEST(ColourConversion, ChromaCoversItsTwoByTwoBlock) {
  const int width = 4, height = 4;
  auto picture = Uniform(width, height, 128, 128, 128);
  picture[width * height + width / 2 * 1 + 1] = 30;  // Cb of block row 1, column 1
  std::vector<std::uint8_t> out(width * height * 3);
  YuvToBgr24(out.data(), picture.data(), width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inBlock = y >= 2 && x >= 2;
      EXPECT_EQ(out[(y * width + x) * 3], inBlock ? 1 : 128) << x << "," << y;  // blue
    }
  }
}

TEST(ColourConversion, RowOrders) {
  const int width = 640, height = 224;
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width * height * 3 / 2), 128);
  for (int y = 0; y < height; ++y) std::fill_n(picture.begin() + y * width, width, static_cast<std::uint8_t>(y));
  const std::size_t stride = width * 3;

  std::vector<std::uint8_t> bottomUp(stride * height);
  YuvToBgr24BottomUp(bottomUp.data(), picture.data(), width, height);
  EXPECT_EQ(bottomUp[223 * 1920], 1);      // picture row 0 (Y 0 gives 1)
  EXPECT_EQ(bottomUp[0], 223);             // picture row 223
  EXPECT_EQ(bottomUp[100 * 1920 + 5], 123);

  std::vector<std::uint8_t> doubled(stride * height * 2, 0xEE);
  YuvToBgr24Doubled(doubled.data(), picture.data(), width, height);
  for (int y = 0; y < height; ++y) ASSERT_EQ(doubled[stride * 2 * (height - 1 - y)], std::max(y, 1)) << y;
  DoubleLines(doubled.data(), width, height);
  for (int row = 1; row <= 2 * height - 3; row += 2) {
    ASSERT_EQ(doubled[stride * row + 7], (doubled[stride * (row - 1) + 7] + doubled[stride * (row + 1) + 7]) / 2);
  }
  EXPECT_EQ(doubled[stride * 445], (doubled[stride * 444] + doubled[stride * 446]) / 2);
  // The top bitmap row is written by neither step.
  for (std::size_t i = 0; i < stride; ++i) ASSERT_EQ(doubled[stride * (2 * height - 1) + i], 0xEE);
}

// The SIMD row converters against the table-driven ones on random rows of
// several widths (whole 16- and 32-pixel runs and tails), byte for byte.
TEST(ColourConversion, SimdRowsMatchPortableRows) {
  struct Layout {
    const char* name;
    int bytesPerPixel;
    RowPairConverter portable, ssse3, avx2;
  };
  const Layout layouts[] = {
      {"bgr24", 3, Bgr24RowPairPortable, Bgr24RowPairSsse3Function(), Bgr24RowPairAvx2Function()},
      {"xrgb32", 4, Xrgb32RowPairPortable, Xrgb32RowPairSsse3Function(), Xrgb32RowPairAvx2Function()},
  };
  std::mt19937 random(5);
  int compared = 0;
  for (const Layout& layout : layouts) {
    std::vector<std::pair<const char*, RowPairConverter>> variants;
    if (layout.ssse3 != nullptr && __builtin_cpu_supports("ssse3")) variants.emplace_back("ssse3", layout.ssse3);
    if (layout.avx2 != nullptr && __builtin_cpu_supports("avx2")) variants.emplace_back("avx2", layout.avx2);
    for (const auto& [variant, simd] : variants) {
      for (int width : {2, 14, 16, 18, 30, 32, 46, 66, 96, 640}) {
        for (int trial = 0; trial < 200; ++trial) {
          std::vector<std::uint8_t> luma(2 * width), chroma(width);
          for (auto& b : luma) b = static_cast<std::uint8_t>(random());
          for (auto& b : chroma) b = static_cast<std::uint8_t>(trial < 4 ? trial * 85 : random());
          const std::size_t row = static_cast<std::size_t>(layout.bytesPerPixel * width);
          std::vector<std::uint8_t> portable(2 * row + 8, 0xEE), fast(portable);
          layout.portable(luma.data(), luma.data() + width, chroma.data(), chroma.data() + width / 2, portable.data(),
                          portable.data() + row, width);
          simd(luma.data(), luma.data() + width, chroma.data(), chroma.data() + width / 2, fast.data(),
               fast.data() + row, width);
          ASSERT_EQ(portable, fast) << layout.name << " " << variant << " width " << width << " trial " << trial;
          ++compared;
        }
      }
    }
  }
  if (compared == 0) GTEST_SKIP() << "no SIMD row converter on this processor";
}

// The whole-picture converters pick the fastest rows; they still agree with
// the per-pixel formula on a random picture.
TEST(ColourConversion, WholePictureXrgb32MatchesBgr24) {
  const int width = 66, height = 10;
  std::mt19937 random(9);
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width * height * 3 / 2));
  for (auto& b : picture) b = static_cast<std::uint8_t>(random());
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width * height * 3)), xrgb(static_cast<std::size_t>(width * height * 4));
  std::vector<std::uint8_t> viaSurface(xrgb.size());
  YuvToBgr24(bgr.data(), picture.data(), width, height);
  YuvToXrgb32(xrgb.data(), picture.data(), width, height);
  YuvToSurface(SurfaceFormat::kXrgb32, viaSurface.data(), picture.data(), width, height);
  EXPECT_EQ(viaSurface, xrgb);
  for (int i = 0; i < width * height; ++i) {
    ASSERT_EQ(xrgb[4 * i], bgr[3 * i]) << i;
    ASSERT_EQ(xrgb[4 * i + 1], bgr[3 * i + 1]) << i;
    ASSERT_EQ(xrgb[4 * i + 2], bgr[3 * i + 2]) << i;
    ASSERT_EQ(xrgb[4 * i + 3], 0) << i;
  }
}

}  // namespace
}  // namespace tavrix
