#include <gtest/gtest.h>

#include <vector>

#include "codec/video_decoder.h"
#include "tests/codec/frame_builder.h"

namespace tavrix {
namespace {

using test::BuildFrame;

// A frame of `slices` empty update slices after the given header bytes.
std::vector<std::uint8_t> FrameWithSlices(bool full, const std::vector<std::uint8_t>& header, int slices) {
  return BuildFrame(full, header, slices, [](BitWriter& bits, int) { bits.Put(0, 6); });
}

TEST(VideoDecoderHeader, FieldsOfEveryLayout) {
  struct Case {
    const char* name;
    int variant;
    bool fullStartCode;
    std::vector<std::uint8_t> header;
    int channel, scale;
    bool full;
  };
  const Case cases[] = {
      {"QMT2 0x53 update", 4, false, {0x53}, 3, 5, false},
      {"QMT2 0x53 full", 4, true, {0x53}, 3, 5, true},
      {"QM9 like QMT2", 1, true, {0xAF}, 15, 10, true},
      {"QMC like QMT2", 6, false, {0x21}, 1, 2, false},
      {"QM4 channel bits 5 give 0", 0, false, {0x80 | 4 << 3 | 5}, 0, 4, true},
      {"QM4 channel 3, mode by bit 7", 0, true, {2 << 3 | 3}, 3, 2, false},
      {"QMN channel always 0", 2, false, {0x80 | 6 << 3 | 7, 0x12, 0x34}, 0, 6, true},
  };
  for (const Case& c : cases) {
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.SelectFormat(c.variant));
    const auto frame = FrameWithSlices(c.fullStartCode, c.header, 14);
    ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size()))) << c.name;
    EXPECT_EQ(decoder.Channel(), c.channel) << c.name;
    EXPECT_EQ(decoder.quantiserScale(), c.scale) << c.name;
    EXPECT_EQ(decoder.fullPicture(), c.full) << c.name;
    EXPECT_FALSE(decoder.dualPicture()) << c.name;
    if (c.variant == 2) {
      EXPECT_EQ(decoder.pictureNumber(), 0x1234);
    }
  }
}

TEST(VideoDecoderHeader, DualPictureFieldsOfQmt3) {
  VideoDecoder decoder;
  decoder.SelectFormat(5);
  const auto frame = FrameWithSlices(true, {0x52, 0x8A}, 14);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  EXPECT_TRUE(decoder.dualPicture());
  EXPECT_EQ(decoder.Channel(), 2);
  EXPECT_EQ(decoder.quantiserScale(), 5);
  EXPECT_TRUE(decoder.fullPicture());
  EXPECT_EQ(decoder.leftChannel(), 2);
  EXPECT_EQ(decoder.rightChannel(), 1);
  EXPECT_FALSE(decoder.leftEmpty());
  EXPECT_TRUE(decoder.rightEmpty());

  // Another layout clears the dual flag again.
  decoder.SelectFormat(4);
  const auto single = FrameWithSlices(true, {0x52}, 14);
  ASSERT_TRUE(decoder.ParseHeader(single.data(), static_cast<std::uint32_t>(single.size())));
  EXPECT_FALSE(decoder.dualPicture());
}

TEST(VideoDecoderHeader, SliceCountDecidesThePictureSize) {
  for (int slices = 12; slices <= 21; ++slices) {
    VideoDecoder decoder;
    decoder.SelectFormat(4);
    const auto frame = FrameWithSlices(true, {0x20}, slices);
    const bool accepted = decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size()));
    EXPECT_EQ(accepted, slices == 14 || slices == 17) << slices << " slices";
    if (accepted) {
      EXPECT_EQ(decoder.Height(), slices == 14 ? 224u : 272u);
      EXPECT_EQ(decoder.Width(), 640u);
      EXPECT_EQ(decoder.sliceCount(), static_cast<std::uint32_t>(slices));
    }
  }
}

TEST(VideoDecoderHeader, SlicesAreRecordedWhereTheirStartCodesBegin) {
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  const auto frame = FrameWithSlices(false, {0x20}, 14);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  for (std::uint32_t i = 0; i < 14; ++i) {
    const std::uint32_t offset = decoder.sliceTable()[i];
    ASSERT_LT(offset + 3, frame.size());
    EXPECT_EQ(frame[offset], 0);
    EXPECT_EQ(frame[offset + 1], 0);
    EXPECT_EQ(frame[offset + 2], 1);
    EXPECT_EQ(frame[offset + 3] >> 3, static_cast<int>(i)) << "row of slice " << i;
  }
}

TEST(VideoDecoderHeader, NextFrameStartCodeEndsTheScan) {
  // F8..FD (video and audio frames) end the scan; any other start code is one more slice.
  for (std::uint8_t code : {0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}) {
    const bool ends = code >= 0xF8 && code <= 0xFD;
    auto frame = FrameWithSlices(true, {0x20}, 14);
    const auto trailing = FrameWithSlices(true, {0x20}, 3);
    frame.insert(frame.end(), {0x00, 0x00, 0x01, code, 0x00, 0x00});
    frame.insert(frame.end(), trailing.begin() + 5, trailing.end());  // three more slice start codes
    VideoDecoder decoder;
    decoder.SelectFormat(4);
    EXPECT_EQ(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())), ends) << int{code};
    EXPECT_EQ(decoder.sliceCount(), ends ? 14u : 18u) << int{code};
  }
}

TEST(VideoDecoderHeader, RefusedHeaders) {
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  const auto good = FrameWithSlices(true, {0x20}, 14);
  EXPECT_FALSE(decoder.ParseHeader(nullptr, 100));
  EXPECT_FALSE(decoder.ParseHeader(good.data(), 5));

  auto wrongCode = good;
  wrongCode[3] = 0xFA;  // an audio frame
  EXPECT_FALSE(decoder.ParseHeader(wrongCode.data(), static_cast<std::uint32_t>(wrongCode.size())));

  auto scale15 = good;
  scale15[4] = 0xF0;
  EXPECT_FALSE(decoder.ParseHeader(scale15.data(), static_cast<std::uint32_t>(scale15.size())));

  // Scale 0 passes the header but Decode refuses it without touching the picture.
  auto scale0 = good;
  scale0[4] = 0x01;
  ASSERT_TRUE(decoder.ParseHeader(scale0.data(), static_cast<std::uint32_t>(scale0.size())));
  std::vector<std::uint8_t> picture(PictureBytes(640, 224), 0x5A);
  EXPECT_FALSE(decoder.Decode(scale0.data(), static_cast<std::uint32_t>(scale0.size()), picture.data()));
  EXPECT_EQ(std::count(picture.begin(), picture.end(), 0x5A), static_cast<long>(picture.size()));

  // The network layout's picture number needs two bytes after byte A.
  decoder.SelectFormat(2);
  const std::uint8_t shortNetworkFrame[] = {0x00, 0x00, 0x01, 0xF9, 0xA0, 0x00};
  EXPECT_FALSE(decoder.ParseHeader(shortNetworkFrame, sizeof shortNetworkFrame));

  EXPECT_FALSE(decoder.SelectFormat(7));
  EXPECT_FALSE(decoder.SelectFormat(-1));
  EXPECT_EQ(decoder.variant(), 2);
}

TEST(VideoDecoderHeader, SelectFormatClearsTheSizeSoDecodeRefuses) {
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  const auto frame = FrameWithSlices(true, {0x20}, 14);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  decoder.SelectFormat(4);
  EXPECT_EQ(decoder.Width(), 0u);
  EXPECT_EQ(decoder.Height(), 0u);
  std::vector<std::uint8_t> picture(PictureBytes(640, 224), 0x5A);
  EXPECT_FALSE(decoder.Decode(frame.data(), static_cast<std::uint32_t>(frame.size()), picture.data()));
}

}  // namespace
}  // namespace tavrix
