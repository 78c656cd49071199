#include "codec/channel_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codec/test_picture.h"
#include "codec/video_encoder.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kWidth = 640, kHeight = 224;

bool SamePixels(const DecodedPicture& picture, const DecodedPicture& expected) {
  return picture.width() == expected.width() && picture.height() == expected.height() &&
         std::memcmp(picture.data(), expected.data(), picture.size()) == 0;
}

// Four channels interleaved as the recorder stores them, full pictures every
// eighth round and update pictures between: every channel's picture must
// equal what the encoder coded for that channel. Decoding all channels into
// one buffer would paste channel 0's unchanged blocks into channel 1's update.
TEST(ChannelDecoder, InterleavedChannelsKeepTheirOwnReferences) {
  VideoEncoder encoder;
  ChannelDecoder decoder;
  decoder.SelectFormat(4);
  std::vector<std::uint8_t> source(PictureBytes(kWidth, kHeight)), frame;
  for (std::uint32_t round = 0; round < 12; ++round) {
    for (int channel = 0; channel < 4; ++channel) {
      DrawTestPicture(source.data(), kWidth, kHeight, channel, round, round);
      const auto kind = round % 8 == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
      ASSERT_TRUE(encoder.Encode(source.data(), kWidth, kHeight, channel, 4, kind, frame));
      const auto outcome = decoder.Decode(frame.data(), static_cast<std::uint32_t>(frame.size()));
      ASSERT_TRUE(outcome.decoded);
      ASSERT_EQ(outcome.shownCount, 1);
      EXPECT_EQ(outcome.shown[0].channel, channel);
      EXPECT_EQ(outcome.shown[0].picture, &decoder.Picture(channel));
      ASSERT_TRUE(SamePixels(decoder.Picture(channel), encoder.Reference(channel)))
          << "round " << round << " channel " << channel;
    }
  }
  EXPECT_EQ(decoder.Picture(5).width(), 0u);
}

TEST(ChannelDecoder, RefusedFramesShowNothing) {
  ChannelDecoder decoder;
  decoder.SelectFormat(4);
  const std::uint8_t audio[] = {0x00, 0x00, 0x01, 0xFA, 0x00, 0x00, 0x55, 0x55};
  const auto outcome = decoder.Decode(audio, sizeof audio);
  EXPECT_FALSE(outcome.decoded);
  EXPECT_EQ(outcome.shownCount, 0);
}

// A dual picture decodes against the picture of the channel in its header,
// and its halves go to the left and right channels unless marked empty.
TEST(ChannelDecoder, DualPicturesSplitFromTheirHeaderChannel) {
  VideoEncoder encoder(5);
  std::vector<std::uint8_t> source(PictureBytes(kWidth, kHeight)), frame;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) source[y * kWidth + x] = x < 320 ? 60 : 190;
  }
  std::memset(source.data() + kWidth * kHeight, 128, kWidth * kHeight / 2);
  ASSERT_TRUE(encoder.Encode(source.data(), kWidth, kHeight, 2, 4, VideoEncoder::Kind::kFull, frame));

  struct Case {
    std::uint8_t byteB;
    std::vector<int> shownChannels;
  };
  for (const Case& c : {Case{0x80 | 7 << 3, {2, 7}}, Case{0x80 | 7 << 3 | 0x02, {2}}, Case{0x80 | 7 << 3 | 0x04, {7}},
                        Case{0x80 | 7 << 3 | 0x06, {}}, Case{7 << 3, {2}}}) {
    ChannelDecoder decoder;
    decoder.SelectFormat(5);
    frame[5] = c.byteB;
    const auto outcome = decoder.Decode(frame.data(), static_cast<std::uint32_t>(frame.size()));
    ASSERT_TRUE(outcome.decoded);
    ASSERT_EQ(outcome.shownCount, static_cast<int>(c.shownChannels.size())) << int{c.byteB};
    for (int i = 0; i < outcome.shownCount; ++i) {
      EXPECT_EQ(outcome.shown[i].channel, c.shownChannels[i]);
    }
    EXPECT_EQ(decoder.Picture(2).width(), kWidth) << "decoded into the header channel's picture";
    const bool dual = c.byteB & 0x80;
    if (dual && outcome.shownCount == 2) {
      const DecodedPicture& left = *outcome.shown[0].picture;
      const DecodedPicture& right = *outcome.shown[1].picture;
      EXPECT_EQ(left.width(), 320u);
      EXPECT_EQ(right.height(), kHeight);
      EXPECT_EQ(left.size(), 107520u);
      EXPECT_NEAR(left.y()[100 * 320 + 100], 60, 2);
      EXPECT_NEAR(right.y()[100 * 320 + 100], 190, 2);
    }
  }
}

TEST(SplitDualPicture, HalvesEveryPlane) {
  // Each byte holds its plane number and whether it lies in the right half.
  std::vector<std::uint8_t> dual(PictureBytes(kWidth, kHeight));
  const std::size_t luma = kWidth * kHeight;
  for (std::size_t i = 0; i < dual.size(); ++i) {
    const int plane = i < luma ? 0 : i < luma * 5 / 4 ? 1 : 2;
    const std::size_t rowLength = plane == 0 ? kWidth : kWidth / 2;
    const std::size_t offset = plane == 0 ? i : plane == 1 ? i - luma : i - luma * 5 / 4;
    dual[i] = static_cast<std::uint8_t>(plane * 2 + (offset % rowLength >= rowLength / 2));
  }
  std::vector<std::uint8_t> left(PictureBytes(320, kHeight) + 8, 0xEE), right(left);
  SplitDualPicture(kWidth, dual.data(), kHeight, left.data(), right.data());
  const std::size_t halfLuma = 320 * kHeight;
  for (std::size_t i = 0; i < PictureBytes(320, kHeight); ++i) {
    const int plane = i < halfLuma ? 0 : i < halfLuma * 5 / 4 ? 1 : 2;
    ASSERT_EQ(left[i], plane * 2) << i;
    ASSERT_EQ(right[i], plane * 2 + 1) << i;
  }
  EXPECT_EQ(left.back(), 0xEE);
  EXPECT_EQ(right.back(), 0xEE);
}

// With an odd height each chroma plane has height/2 rows: the split must stop
// there and write nothing past the two halves.
TEST(SplitDualPicture, OddHeightStaysInsideItsPlanes) {
  constexpr std::uint32_t width = 16, height = 5;
  constexpr std::size_t luma = width * height, chromaPlane = (width / 2) * (height / 2);
  std::vector<std::uint8_t> dual(luma + 2 * chromaPlane);
  for (std::size_t i = 0; i < dual.size(); ++i) dual[i] = static_cast<std::uint8_t>(i);
  constexpr std::size_t halfBytes = luma / 2 + 2 * chromaPlane / 2;
  std::vector<std::uint8_t> left(halfBytes + 16, 0xEE), right(left);
  SplitDualPicture(width, dual.data(), height, left.data(), right.data());
  for (std::size_t row = 0; row < 2 * (height / 2); ++row) {  // Cb rows, then Cr rows
    for (std::size_t x = 0; x < width / 4; ++x) {
      EXPECT_EQ(left[luma / 2 + row * (width / 4) + x], dual[luma + row * (width / 2) + x]);
      EXPECT_EQ(right[luma / 2 + row * (width / 4) + x], dual[luma + row * (width / 2) + width / 4 + x]);
    }
  }
  for (std::size_t i = halfBytes; i < left.size(); ++i) {
    EXPECT_EQ(left[i], 0xEE) << i;
    EXPECT_EQ(right[i], 0xEE) << i;
  }
}

}  // namespace
}  // namespace tavrix
