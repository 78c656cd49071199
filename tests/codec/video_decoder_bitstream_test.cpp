#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/idct.h"
#include "codec/video_decoder.h"
#include "tests/codec/frame_builder.h"

namespace tavrix {
namespace {

using test::BuildFrame;
using test::BuildUpdateFrame;
using test::PutBlock;

constexpr std::uint32_t kWidth = 640, kHeight = 224;
constexpr std::uint8_t kUntouched = 0x5A;

struct Decoded {
  bool ok;
  std::vector<std::uint8_t> picture;  // with 64 guard bytes after the picture
};

Decoded DecodeInto(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t> picture = {}) {
  if (picture.empty()) picture.assign(PictureBytes(kWidth, kHeight) + 64, kUntouched);
  VideoDecoder decoder(VideoDecoder::Idct::kPortable);
  decoder.SelectFormat(4);
  const auto length = static_cast<std::uint32_t>(frame.size());
  if (!decoder.ParseHeader(frame.data(), length)) return {false, picture};
  const bool ok = decoder.Decode(frame.data(), length, picture.data());
  return {ok, picture};
}

std::uint8_t LumaAt(const std::vector<std::uint8_t>& picture, int x, int y) { return picture[y * kWidth + x]; }

// True when the 8x8 luminance block at (x, y) holds only `value`.
bool LumaBlockIs(const std::vector<std::uint8_t>& picture, int x0, int y0, std::uint8_t value) {
  for (int y = y0; y < y0 + 8; ++y) {
    for (int x = x0; x < x0 + 8; ++x) {
      if (LumaAt(picture, x, y) != value) return false;
    }
  }
  return true;
}

bool GuardIntact(const std::vector<std::uint8_t>& picture) {
  return std::all_of(picture.end() - 64, picture.end(), [](std::uint8_t b) { return b == kUntouched; });
}

// A full picture whose luminance blocks are flat with a value per row.
std::vector<std::uint8_t> FlatFullFrame(const std::function<void(BitWriter&)>& afterRow = {}) {
  return BuildFrame(true, {0x20}, 14, [&](BitWriter& bits, int row) {
    for (int column = 0; column < 40; ++column) {
      for (int block = 0; block < 4; ++block) PutBlock(bits, 10 + row * 10);
      PutBlock(bits, 100);
      PutBlock(bits, 150);
    }
    if (afterRow) afterRow(bits);
  });
}

TEST(VideoDecoderBitstream, FullPictureOfFlatBlocksFillsEveryRow) {
  // Bits after the 40th macroblock of a row are ignored.
  const Decoded result = DecodeInto(FlatFullFrame([](BitWriter& bits) { bits.Put(0b1101101, 7); }));
  ASSERT_TRUE(result.ok);
  for (int y = 0; y < static_cast<int>(kHeight); ++y) {
    ASSERT_EQ(LumaAt(result.picture, 0, y), 10 + (y / 16) * 10) << y;
    ASSERT_EQ(LumaAt(result.picture, 639, y), 10 + (y / 16) * 10) << y;
  }
  const std::size_t luma = kWidth * kHeight, chroma = luma / 4;
  EXPECT_TRUE(std::all_of(result.picture.begin() + luma, result.picture.begin() + luma + chroma,
                          [](std::uint8_t b) { return b == 100; }));
  EXPECT_TRUE(std::all_of(result.picture.begin() + luma + chroma, result.picture.begin() + luma + 2 * chroma,
                          [](std::uint8_t b) { return b == 150; }));
  EXPECT_TRUE(GuardIntact(result.picture));
}

TEST(VideoDecoderBitstream, SlicesMayComeInAnyOrder) {
  const auto frame = FlatFullFrame();
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  std::vector<std::vector<std::uint8_t>> slices;
  for (std::uint32_t i = 0; i < 14; ++i) {
    const std::uint32_t end = i + 1 < 14 ? decoder.sliceTable()[i + 1] : static_cast<std::uint32_t>(frame.size());
    slices.emplace_back(frame.begin() + decoder.sliceTable()[i], frame.begin() + end);
  }
  std::vector<std::uint8_t> shuffled(frame.begin(), frame.begin() + 5);
  for (int i : {13, 0, 7, 12, 1, 6, 2, 11, 3, 10, 4, 9, 5, 8}) shuffled.insert(shuffled.end(), slices[i].begin(), slices[i].end());
  const Decoded inOrder = DecodeInto(frame);
  const Decoded outOfOrder = DecodeInto(shuffled);
  ASSERT_TRUE(inOrder.ok);
  ASSERT_TRUE(outOfOrder.ok);
  EXPECT_EQ(inOrder.picture, outOfOrder.picture);
}

// Row 0, macroblock 0 of an update picture: luminance block 0 with the given
// codes after a DC of 128, chroma flat.
std::vector<std::uint8_t> OneBlockFrame(int scale, const std::function<void(BitWriter&)>& codes) {
  return BuildUpdateFrame(scale, 0, [&](BitWriter& bits, int row) {
    if (row != 0) return;
    bits.Put(1, 6);       // increment 1: column 0
    bits.Put(0b0001, 4);  // block 0 only
    PutBlock(bits, 128, codes);
    PutBlock(bits, 128);
    PutBlock(bits, 128);
  });
}

// The pixels block 0 must hold for a DC of 128 and one coefficient.
std::vector<std::uint8_t> ExpectedBlock(int raster, int value) {
  alignas(16) std::int16_t block[64] = {128 * 8};
  block[raster] = static_cast<std::int16_t>(value);
  std::vector<std::uint8_t> pixels(64);
  IdctPutPortable(block, pixels.data(), 8);
  return pixels;
}

std::vector<std::uint8_t> Block0(const std::vector<std::uint8_t>& picture) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 8; ++y) pixels.insert(pixels.end(), picture.begin() + y * kWidth, picture.begin() + y * kWidth + 8);
  return pixels;
}

TEST(VideoDecoderBitstream, FlatBlockFromDcAndEndOfBlock) {
  const Decoded result = DecodeInto(OneBlockFrame(3, {}));
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(LumaBlockIs(result.picture, 0, 0, 128));
}

TEST(VideoDecoderBitstream, EscapeLevels) {
  struct Case {
    std::vector<std::uint32_t> levelBytes;
    int level;
  };
  // Scale 2 at raster 1 (W = 16): the stored value is 8 x level.
  const Case cases[] = {
      {{0, 200}, 200}, {{128, 56}, -200}, {{255}, -1}, {{5}, 5}, {{129}, -127}, {{127}, 127}, {{0, 128}, 128},
      {{128, 128}, -128},
  };
  for (const Case& c : cases) {
    const Decoded result = DecodeInto(OneBlockFrame(2, [&](BitWriter& bits) {
      bits.Put(0b000001, 6);  // escape
      bits.Put(0, 6);         // run 0: scan position 1
      for (std::uint32_t byte : c.levelBytes) bits.Put(byte, 8);
    }));
    ASSERT_TRUE(result.ok) << c.level;
    EXPECT_EQ(Block0(result.picture), ExpectedBlock(1, 8 * c.level)) << c.level;
  }
}

TEST(VideoDecoderBitstream, DequantisedValuesClampTo2047AndMinus2048) {
  // Scale 14, level +-255 at scan position 63 (raster 63, W = 83): 74077 before the clamp.
  const struct {
    std::vector<std::uint32_t> escape;
    int expected;
  } cases[] = {{{0, 255}, 2047}, {{128, 1}, -2048}};
  for (const auto& c : cases) {
    const Decoded result = DecodeInto(OneBlockFrame(14, [&](BitWriter& bits) {
      bits.Put(0b000001, 6);
      bits.Put(62, 6);  // position 1 + 62 = 63
      for (std::uint32_t byte : c.escape) bits.Put(byte, 8);
    }));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(Block0(result.picture), ExpectedBlock(63, c.expected));
    EXPECT_NE(Block0(result.picture), ExpectedBlock(63, c.expected / 2));
  }
}

TEST(VideoDecoderBitstream, CodesWithSignBitAndRuns) {
  // (run 1, level 1) = 011 s, then (0, 2) = 0100 s: positions 2 and 3, rasters 8 and 16.
  const Decoded result = DecodeInto(OneBlockFrame(4, [](BitWriter& bits) {
    bits.Put(0b011, 3);
    bits.Put(1, 1);  // negative
    bits.Put(0b0100, 4);
    bits.Put(0, 1);
  }));
  ASSERT_TRUE(result.ok);
  alignas(16) std::int16_t block[64] = {128 * 8};
  block[8] = -(1 * 4 * 16 / 4);   // W[8] = 16
  block[16] = 2 * 4 * 19 / 4;     // W[16] = 19
  std::vector<std::uint8_t> expected(64);
  IdctPutPortable(block, expected.data(), 8);
  EXPECT_EQ(Block0(result.picture), expected);
}

TEST(VideoDecoderBitstream, BadBlocksFailTheFrame) {
  struct Case {
    const char* name;
    std::function<void(BitWriter&)> codes;
    bool ok;
  };
  const Case cases[] = {
      {"escape to position 63 is fine", [](BitWriter& b) { b.Put(1, 6); b.Put(62, 6); b.Put(3, 8); }, true},
      {"escape to position 64", [](BitWriter& b) { b.Put(1, 6); b.Put(63, 6); b.Put(3, 8); }, false},
      {"a code after position 63",
       [](BitWriter& b) { b.Put(1, 6); b.Put(62, 6); b.Put(3, 8); b.Put(0b11, 2); b.Put(0, 1); }, false},
      {"twelve zero bits", [](BitWriter& b) { b.Put(0, 12); b.Put(0xF, 4); }, false},
  };
  for (const Case& c : cases) {
    const Decoded result = DecodeInto(OneBlockFrame(2, c.codes));
    EXPECT_EQ(result.ok, c.ok) << c.name;
    EXPECT_TRUE(GuardIntact(result.picture)) << c.name;
  }
}

TEST(VideoDecoderBitstream, IncrementSkipsColumns) {
  const Decoded result = DecodeInto(BuildUpdateFrame(3, 0, [](BitWriter& bits, int row) {
    if (row != 2) return;
    bits.Put(3, 6);  // first increment 3: column 2
    bits.Put(0b1111, 4);
    for (int block = 0; block < 6; ++block) PutBlock(bits, 77);
  }));
  ASSERT_TRUE(result.ok);
  for (int column = 0; column < 40; ++column) {
    const std::uint8_t expected = column == 2 ? 77 : kUntouched;
    EXPECT_TRUE(LumaBlockIs(result.picture, column * 16, 32, expected)) << column;
    EXPECT_TRUE(LumaBlockIs(result.picture, column * 16 + 8, 40, expected)) << column;
  }
}

TEST(VideoDecoderBitstream, CodedBlockPatternBitOrder) {
  // The first pattern bit read belongs to block 3, the last to block 0.
  struct Case {
    std::uint32_t bits;
    std::array<bool, 4> coded;  // blocks 0..3
  };
  for (const Case c : {Case{0b0001, {true, false, false, false}}, Case{0b1000, {false, false, false, true}},
                       Case{0b0110, {false, true, true, false}}, Case{0b0000, {false, false, false, false}}}) {
    const Decoded result = DecodeInto(BuildUpdateFrame(3, 0, [&](BitWriter& bits, int row) {
      if (row != 0) return;
      bits.Put(1, 6);
      bits.Put(c.bits, 4);
      for (int block = 0; block < 4; ++block) {
        if (c.coded[block]) PutBlock(bits, 40 + block);
      }
      PutBlock(bits, 90);
      PutBlock(bits, 91);
    }));
    ASSERT_TRUE(result.ok) << c.bits;
    for (int block = 0; block < 4; ++block) {
      const std::uint8_t expected = c.coded[block] ? 40 + block : kUntouched;
      EXPECT_TRUE(LumaBlockIs(result.picture, (block & 1) * 8, (block >> 1) * 8, expected))
          << "pattern " << c.bits << " block " << block;
    }
    // Both chroma blocks are always coded.
    EXPECT_EQ(result.picture[kWidth * kHeight], 90);
    EXPECT_EQ(result.picture[kWidth * kHeight * 5 / 4], 91);
  }
}

TEST(VideoDecoderBitstream, EmptyUpdateChangesNothing) {
  const Decoded result = DecodeInto(BuildUpdateFrame(3, 0, [](BitWriter&, int) {}));
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(std::all_of(result.picture.begin(), result.picture.end(), [](std::uint8_t b) { return b == kUntouched; }));
}

TEST(VideoDecoderBitstream, ChromaBlocksOfTheLastMacroblockLandInTheirPlanes) {
  const Decoded result = DecodeInto(BuildUpdateFrame(3, 0, [](BitWriter& bits, int row) {
    if (row != 13) return;
    bits.Put(40, 6);  // column 39
    bits.Put(0b0001, 4);
    PutBlock(bits, 10);
    PutBlock(bits, 20);
    PutBlock(bits, 30);
  }));
  ASSERT_TRUE(result.ok);
  const std::uint8_t* cr = result.picture.data() + kWidth * kHeight * 5 / 4;
  for (int y = 0; y < 112; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool inside = y >= 104 && x >= 312;
      ASSERT_EQ(cr[y * 320 + x], inside ? 30 : kUntouched) << x << "," << y;
    }
  }
  EXPECT_TRUE(LumaBlockIs(result.picture, 624, 208, 10));
  EXPECT_TRUE(GuardIntact(result.picture));
}

// A macroblock address beyond the row fails the frame and writes nothing
// outside its picture or into the next row.
TEST(VideoDecoderBitstream, MacroblocksPastTheRowFailTheFrame) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> increments;
  };
  for (const Case& c : {Case{"first increment 41", {41}}, Case{"increment 63", {63}},
                        Case{"column 37 then 3 more", {38, 3}}, Case{"column 30 then 10 more", {31, 10}}}) {
    const Decoded result = DecodeInto(BuildUpdateFrame(3, 0, [&](BitWriter& bits, int row) {
      if (row != 13) return;
      for (std::uint32_t increment : c.increments) {
        bits.Put(increment, 6);
        bits.Put(0b1111, 4);
        for (int block = 0; block < 6; ++block) PutBlock(bits, 200);
      }
    }));
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_TRUE(GuardIntact(result.picture)) << c.name;
    const std::size_t lastRowStart = kWidth * 208;
    const auto written = std::count(result.picture.begin(), result.picture.end(), 200);
    const auto inLastRow = std::count(result.picture.begin() + lastRowStart, result.picture.begin() + kWidth * kHeight, 200);
    // Only blocks of valid macroblocks of the row may have been written
    // (luma inside row 13; chroma of those macroblocks).
    EXPECT_EQ(inLastRow, 256 * static_cast<long>(c.increments.size() - 1)) << c.name;
    EXPECT_EQ(written, 384 * static_cast<long>(c.increments.size() - 1)) << c.name;
  }
}

TEST(VideoDecoderBitstream, RowNumberOutOfRangeFails) {
  auto frame = BuildUpdateFrame(3, 0, [](BitWriter&, int) {});
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  const std::uint32_t lastSlice = decoder.sliceTable()[13];
  frame[lastSlice + 3] = 14 << 3;  // row 14 of a 14-row picture
  std::vector<std::uint8_t> picture(PictureBytes(kWidth, kHeight), kUntouched);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  EXPECT_FALSE(decoder.Decode(frame.data(), static_cast<std::uint32_t>(frame.size()), picture.data()));
}

}  // namespace
}  // namespace tavrix
