#include "tests/export/sample_recording.h"

#include "codec/decoded_picture.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix::test {

std::vector<std::uint8_t> MakeSampleRecording(const SampleRecording& sample) {
  constexpr int kScale = 5;
  constexpr std::size_t kHeaderBytes = 5;  // start code and header byte A
  const std::uint32_t height = sample.pal ? kPalHeight : kNtscHeight;
  VideoEncoder encoder;
  DecodedPicture picture;
  picture.SetSize(kPictureWidth, height);
  std::vector<std::uint8_t> coded;
  testing::VvfStreamBuilder stream;
  stream.AddFiller(100);
  for (int round = 0; round < sample.rounds; ++round) {
    for (int channel = 0; sample.withPictures && channel < 16; ++channel) {
      if (!(sample.channelMask & (1u << channel))) continue;
      DrawTestPicture(picture.data(), kPictureWidth, height, channel, round, round / 15);
      const auto kind = round == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
      encoder.Encode(picture.data(), kPictureWidth, height, channel, kScale, kind, coded);
      stream.AddVideoBytes(channel, round == 0, std::vector<std::uint8_t>(coded.begin() + kHeaderBytes, coded.end()),
                           kScale);
    }
    std::vector<std::uint8_t> tone(static_cast<std::size_t>(sample.samplesPerRound));
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<std::uint8_t>(i % 16 < 8 ? 0xA5 : 0x25);
    stream.AddAudioBytes(0, tone);
    stream.AddAudioBytes(1, tone);
  }
  stream.AddTerminator();
  testing::VvfImageOptions options;
  options.channelMask = sample.channelMask;
  return testing::MakeVvfImage(stream.stream(), options);
}

}  // namespace tavrix::test
