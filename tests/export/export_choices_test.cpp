#include <gtest/gtest.h>

#include "export/container.h"
#include "export/encoder_choice.h"
#include "export/player_frame_rate.h"

namespace tavrix {
namespace {

TEST(PlayerFrameRate, OneFramePerRoundOfChannelsCappedAndAtLeastOne) {
  struct Case {
    std::uint16_t mask;
    int interval;
    std::uint32_t height;
    int variant;
    int rate;
  };
  const Case cases[] = {
      {0x000F, 0, 272, 4, 12},    // 50 / 1 / 4 = 12.5, truncated
      {0x0001, 1, 272, 4, 25},    // local recording of a network stream
      {0x000F, 0, 224, 4, 15},    // NTSC: 60 / 4
      {0x0001, 0, 224, 4, 30},    // capped at 30
      {0x0000, 0, 272, 4, 25},    // no channel bits: the cap
      {0x0003, 0, 224, 2, 15},    // network layout: base 30
      {0x000F, 0, 272, 5, 25},    // dual-picture layout: base 100
      {0xFFFF, 127, 224, 4, 1},   // 60 / 128 / 16 would be 0
      {0x000F, 127, 272, 0, 1},   // 25 / 128 / 4 would be 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlayerFrameRate(c.mask, c.interval, c.height, static_cast<FormatVariant>(c.variant)), c.rate)
        << "mask " << c.mask << " interval " << c.interval << " height " << c.height << " variant " << c.variant;
  }
}

TEST(ExportChoices, ContainerFollowsTheFileName) {
  EXPECT_EQ(ContainerForPath("out.avi"), Container::kAvi);
  EXPECT_EQ(ContainerForPath("out"), Container::kAvi);
  EXPECT_EQ(ContainerForPath("dir.mp4/out"), Container::kAvi);
  EXPECT_EQ(ContainerForPath("/x/OUT.MP4"), Container::kMp4);
  EXPECT_EQ(ContainerForPath("a.m4v"), Container::kMp4);
  EXPECT_EQ(ContainerForPath("a.mov"), Container::kMov);
  EXPECT_EQ(ContainerForPath("a.Mkv"), Container::kMkv);
  EXPECT_FALSE(CarriesG711(Container::kMp4));
  EXPECT_TRUE(CarriesG711(Container::kMkv));
}

TEST(ExportChoices, CodecNamesAndQualityScales) {
  for (VideoCodec codec : AllVideoCodecs()) EXPECT_EQ(ParseVideoCodec(VideoCodecName(codec)), codec);
  EXPECT_FALSE(ParseVideoCodec("divx"));
  EXPECT_FALSE(ParseVideoCodec(""));
  EXPECT_EQ(QuantiserForQuality(100), 1);
  EXPECT_EQ(QuantiserForQuality(1), 31);
  EXPECT_EQ(QuantiserForQuality(500), 1);
  EXPECT_EQ(RateFactorForQuality(100), 0);
  EXPECT_EQ(RateFactorForQuality(1), 51);
  EXPECT_LT(QuantiserForQuality(80), QuantiserForQuality(50));
}

}  // namespace
}  // namespace tavrix
