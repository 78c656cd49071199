#include "codec/video_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/test_picture.h"
#include "codec/video_decoder.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kWidth = 640;

std::vector<std::uint8_t> TestPicture(std::uint32_t height, int channel, std::uint32_t frame) {
  std::vector<std::uint8_t> picture(PictureBytes(kWidth, height));
  DrawTestPicture(picture.data(), kWidth, height, channel, frame, frame / 4);
  return picture;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::uint8_t* b, std::size_t bytes) {
  double squares = 0;
  for (std::size_t i = 0; i < bytes; ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
  if (squares == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(bytes) / squares);
}

// Decodes `frame` into `picture` the way a player does; false if refused.
bool DecodeFrame(VideoDecoder& decoder, const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& picture) {
  const auto length = static_cast<std::uint32_t>(frame.size());
  return decoder.ParseHeader(frame.data(), length) && decoder.Decode(frame.data(), length, picture.data());
}

TEST(VideoEncoder, FullPicturesRoundTripAtSeveralScales) {
  struct Case {
    int scale;
    double minimumPsnr;
  };
  for (std::uint32_t height : {224u, 272u}) {
    const auto source = TestPicture(height, 2, 5);
    for (const Case c : {Case{2, 39}, Case{5, 37.5}, Case{10, 36.5}}) {
      VideoEncoder encoder;
      std::vector<std::uint8_t> frame;
      ASSERT_TRUE(encoder.Encode(source.data(), kWidth, height, 2, c.scale, VideoEncoder::Kind::kFull, frame));
      VideoDecoder decoder;
      std::vector<std::uint8_t> picture(PictureBytes(kWidth, height));
      decoder.SelectFormat(4);
      ASSERT_TRUE(DecodeFrame(decoder, frame, picture));
      EXPECT_EQ(decoder.Height(), height);
      EXPECT_EQ(decoder.Channel(), 2);
      EXPECT_EQ(decoder.quantiserScale(), c.scale);
      EXPECT_TRUE(decoder.fullPicture());
      const double psnr = Psnr(source, picture.data(), picture.size());
      std::printf("height %u scale %2d: %6zu bytes, PSNR %.2f dB\n", height, c.scale, frame.size(), psnr);
      EXPECT_GT(psnr, c.minimumPsnr) << "scale " << c.scale;
      // The encoder's reconstruction is exactly what the decoder shows.
      EXPECT_EQ(0, std::memcmp(encoder.Reference(2).data(), picture.data(), picture.size()));
    }
  }
}

TEST(VideoEncoder, UpdatePictureChangesOnlyItsCodedBlocks) {
  VideoEncoder encoder;
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  std::vector<std::uint8_t> frame, picture(PictureBytes(kWidth, 224));
  ASSERT_TRUE(encoder.Encode(TestPicture(224, 0, 0).data(), kWidth, 224, 0, 4, VideoEncoder::Kind::kFull, frame));
  ASSERT_TRUE(DecodeFrame(decoder, frame, picture));
  const std::size_t fullBytes = frame.size();

  const auto next = TestPicture(224, 0, 1);
  const auto before = picture;
  ASSERT_TRUE(encoder.Encode(next.data(), kWidth, 224, 0, 4, VideoEncoder::Kind::kUpdate, frame));
  ASSERT_TRUE(DecodeFrame(decoder, frame, picture));
  EXPECT_FALSE(decoder.fullPicture());
  EXPECT_EQ(0, std::memcmp(encoder.Reference(0).data(), picture.data(), picture.size()));
  // Only the moving bar changed: a few macroblocks, a far smaller frame.
  EXPECT_GT(encoder.codedMacroblocks(), 0);
  EXPECT_LT(encoder.codedMacroblocks(), 40);
  EXPECT_LT(frame.size() * 5, fullBytes);

  // Luminance blocks the update did not carry are byte for byte as before.
  int changedBlocks = 0;
  for (std::uint32_t by = 0; by < 224; by += 8) {
    for (std::uint32_t bx = 0; bx < kWidth; bx += 8) {
      bool same = true;
      for (std::uint32_t y = by; y < by + 8 && same; ++y) {
        same = std::memcmp(&before[y * kWidth + bx], &picture[y * kWidth + bx], 8) == 0;
      }
      changedBlocks += !same;
    }
  }
  EXPECT_GT(changedBlocks, 0);
  EXPECT_LE(changedBlocks, encoder.codedLumaBlocks());

  // An unchanged picture codes nothing and still decodes.
  ASSERT_TRUE(encoder.Encode(next.data(), kWidth, 224, 0, 4, VideoEncoder::Kind::kUpdate, frame));
  EXPECT_EQ(encoder.codedMacroblocks(), 0);
  const auto settled = picture;
  ASSERT_TRUE(DecodeFrame(decoder, frame, picture));
  EXPECT_EQ(settled, picture);
}

TEST(VideoEncoder, UpdatesFollowTheSourceWithoutDrift) {
  VideoEncoder encoder;
  encoder.SetThreshold(1);
  VideoDecoder decoder;
  decoder.SelectFormat(4);
  std::vector<std::uint8_t> frame, picture(PictureBytes(kWidth, 272));
  for (std::uint32_t n = 0; n < 30; ++n) {
    const auto source = TestPicture(272, 1, n);
    const auto kind = n == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
    ASSERT_TRUE(encoder.Encode(source.data(), kWidth, 272, 1, 3, kind, frame));
    ASSERT_TRUE(DecodeFrame(decoder, frame, picture)) << n;
    ASSERT_GT(Psnr(source, picture.data(), picture.size()), 36) << "frame " << n;
  }
}

// Slice data must never contain 00 00 01: black, white, noise and hard edges
// at the finest and coarsest scale, in both layouts the tools write.
TEST(VideoEncoder, NoStartCodeInsideSliceData) {
  std::vector<std::vector<std::uint8_t>> sources;
  const std::size_t bytes = PictureBytes(kWidth, 224);
  sources.emplace_back(bytes, 0);
  sources.emplace_back(bytes, 255);
  std::mt19937 random(3);
  std::vector<std::uint8_t> noise(bytes);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  sources.push_back(noise);
  std::vector<std::uint8_t> edges(bytes);
  for (std::size_t i = 0; i < bytes; ++i) edges[i] = ((i / 3) ^ (i / kWidth / 5)) & 1 ? 255 : 0;
  sources.push_back(edges);
  for (int variant : {4, 2}) {
    for (const auto& source : sources) {
      for (int scale : {1, 14}) {
        VideoEncoder encoder(variant);
        std::vector<std::uint8_t> frame;
        for (auto kind : {VideoEncoder::Kind::kFull, VideoEncoder::Kind::kUpdate}) {
          ASSERT_TRUE(encoder.Encode(kind == VideoEncoder::Kind::kFull ? sources[1].data() : source.data(), kWidth,
                                     224, 0, scale, kind, frame));
          int startCodes = 0;
          for (std::size_t i = 0; i + 2 < frame.size(); ++i) {
            startCodes += frame[i] == 0 && frame[i + 1] == 0 && frame[i + 2] == 1;
          }
          EXPECT_EQ(startCodes, 15) << "variant " << variant << " scale " << scale;
          VideoDecoder decoder;
          decoder.SelectFormat(variant);
          std::vector<std::uint8_t> picture(bytes);
          EXPECT_TRUE(DecodeFrame(decoder, frame, picture));
        }
      }
    }
  }
}

TEST(VideoEncoder, HeaderLayouts) {
  const auto source = TestPicture(224, 0, 0);
  std::vector<std::uint8_t> frame;
  VideoEncoder qmt2(4);
  ASSERT_TRUE(qmt2.Encode(source.data(), kWidth, 224, 3, 5, VideoEncoder::Kind::kUpdate, frame));
  EXPECT_EQ(frame[3], 0xF8);
  EXPECT_EQ(frame[4], 0x53);

  VideoEncoder qmn(2);
  qmn.SetPictureNumber(0xFFFF);
  ASSERT_TRUE(qmn.Encode(source.data(), kWidth, 224, 0, 5, VideoEncoder::Kind::kFull, frame));
  EXPECT_EQ(frame[3], 0xF9);
  EXPECT_EQ(frame[4], 0x80 | 5 << 3);
  EXPECT_EQ(frame[5], 0xFF);
  EXPECT_EQ(frame[6], 0xFF);
  ASSERT_TRUE(qmn.Encode(source.data(), kWidth, 224, 0, 5, VideoEncoder::Kind::kUpdate, frame));
  EXPECT_EQ(frame[4], 5 << 3);
  EXPECT_EQ(frame[5], 0x00);
  EXPECT_EQ(frame[6], 0x00);
  VideoDecoder decoder;
  decoder.SelectFormat(2);
  ASSERT_TRUE(decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size())));
  EXPECT_FALSE(decoder.fullPicture());
}

TEST(VideoEncoder, RefusesWhatTheFormatCannotCarry) {
  const auto source = TestPicture(272, 0, 0);
  VideoEncoder encoder;
  std::vector<std::uint8_t> frame = {1, 2, 3};
  struct Case {
    std::uint32_t width, height;
    int channel, scale;
  };
  for (const Case c : {Case{640, 240, 0, 4}, Case{320, 224, 0, 4}, Case{640, 224, 16, 4}, Case{640, 224, -1, 4},
                       Case{640, 224, 0, 0}, Case{640, 224, 0, 15}}) {
    EXPECT_FALSE(encoder.Encode(source.data(), c.width, c.height, c.channel, c.scale, VideoEncoder::Kind::kFull, frame));
    EXPECT_TRUE(frame.empty());
  }
  EXPECT_FALSE(encoder.Encode(nullptr, 640, 224, 0, 4, VideoEncoder::Kind::kFull, frame));
  VideoEncoder qm4(0);
  EXPECT_FALSE(qm4.Encode(source.data(), 640, 224, 8, 4, VideoEncoder::Kind::kFull, frame));
}

}  // namespace
}  // namespace tavrix
