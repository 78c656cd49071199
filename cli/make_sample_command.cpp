#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "audio/g711.h"
#include "cli/arguments.h"
#include "codec/decoded_picture.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "media/format_variant.h"
#include "platform/atomic_file.h"
#include "storage/vvf_block.h"
#include "storage/vvf_block_writer.h"

namespace tavrix::cli {
namespace {

// The recording starts at a fixed moment so that the file is the same on
// every run: 2026-03-14 09:00:00 UTC.
constexpr std::uint32_t kStartTime = 1773478800;
constexpr int kChannels = 4;
constexpr std::uint16_t kChannelMask = 0x0F;
// Each picture is shown for one period of the recorder's base rate (60 or
// 80 a second for NTSC or PAL), so the four channels share 60 or 80 pictures
// a second: 15 or 20 per channel. For NTSC that is also the whole-number rate
// an AVI export of the four channels gets, so exported sound and pictures
// keep in step.
constexpr std::uint8_t kFrameInterval = 0;
constexpr double kNtscBaseRate = 60;
constexpr double kPalBaseRate = 80;
constexpr int kFullPictureEveryRounds = 8;
constexpr int kQuantiserScale = 4;
constexpr int kSampleRate = 8000;
constexpr int kAudioFrameSamples = 800;  // 100 ms

struct Plan {
  std::uint32_t height;
  double picturesPerSecond;  // all channels together
};

// Audio channel c plays its own tone, with a short higher beep at the start
// of every second, like a clock.
double ToneSample(int audioChannel, std::uint64_t sampleIndex) {
  const double t = static_cast<double>(sampleIndex) / kSampleRate;
  const bool beep = std::fmod(t, 1.0) < 0.08;
  const double frequency = beep ? 1600.0 : 330.0 * (audioChannel + 1);
  return 6000.0 * std::sin(2 * std::numbers::pi * frequency * t);
}

// An audio frame must never contain a start code (the byte sequence 00 00 01):
// move such a third byte to the neighbouring code, one quantisation step away.
void BreakStartCodes(std::uint8_t* bytes, std::size_t length) {
  for (std::size_t i = 2; i < length; ++i) {
    if (bytes[i - 2] == 0 && bytes[i - 1] == 0 && bytes[i] == 1) bytes[i] = 3;
  }
}

class SampleWriter {
 public:
  SampleWriter(AtomicFile& file, const Plan& plan, int audioChannels)
      : file_(file),
        plan_(plan),
        audioChannels_(audioChannels),
        blocks_([this](const std::uint8_t* bytes, std::size_t length) {
          return file_.Write(bytes, length);
        }),
        picture_(PictureBytes(kPictureWidth, plan.height)) {}

  bool Write(double seconds) {
    const auto pictures = static_cast<std::uint64_t>(std::llround(seconds * plan_.picturesPerSecond));
    const std::uint64_t audioFrames =
        audioChannels_ == 0 ? 0 : static_cast<std::uint64_t>(std::llround(seconds * kSampleRate / kAudioFrameSamples));
    std::uint64_t picture = 0, audio = 0;
    // Frames go into the stream in the order of their times, as recorded.
    while (picture < pictures || audio < audioFrames) {
      const double pictureTime = static_cast<double>(picture) / plan_.picturesPerSecond;
      const double audioTime = static_cast<double>(audio) * kAudioFrameSamples / kSampleRate;
      const bool pictureFirst = audio == audioFrames || (picture < pictures && pictureTime <= audioTime);
      if (pictureFirst ? !WritePicture(picture++, pictureTime) : !WriteAudio(audio++, audioTime)) return false;
    }
    return blocks_.Finish();
  }

 private:
  void SetBlockTime(double seconds) {
    VvfBlockHeader header;
    header.blockTime = kStartTime + static_cast<std::uint32_t>(seconds);
    header.channelMask = kChannelMask;
    header.frameInterval = kFrameInterval;
    blocks_.SetHeader(header);
  }

  bool WritePicture(std::uint64_t index, double time) {
    const int channel = static_cast<int>(index % kChannels);
    const std::uint64_t round = index / kChannels;
    DrawTestPicture(picture_.data(), kPictureWidth, plan_.height, channel, static_cast<std::uint32_t>(round),
                    static_cast<std::uint32_t>(time));
    const auto kind = round % kFullPictureEveryRounds == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
    if (!encoder_.Encode(picture_.data(), kPictureWidth, plan_.height, channel, kQuantiserScale, kind, frame_)) {
      return false;
    }
    SetBlockTime(time);
    return blocks_.Append(frame_.data(), frame_.size());
  }

  bool WriteAudio(std::uint64_t index, double time) {
    frame_.clear();
    for (int channel = 0; channel < audioChannels_; ++channel) {
      const std::size_t start = frame_.size();
      frame_.insert(frame_.end(), {0x00, 0x00, 0x01, static_cast<std::uint8_t>(kFirstAudioCode + channel), 0, 0});
      for (int i = 0; i < kAudioFrameSamples; ++i) {
        const double sample = ToneSample(channel, index * kAudioFrameSamples + static_cast<std::uint64_t>(i));
        frame_.push_back(CompressALaw(static_cast<std::int16_t>(std::lround(sample))));
      }
      // From the two zero bytes after the start code on.
      BreakStartCodes(frame_.data() + start + 4, frame_.size() - start - 4);
    }
    SetBlockTime(time);
    return blocks_.Append(frame_.data(), frame_.size());
  }

  AtomicFile& file_;
  Plan plan_;
  int audioChannels_;
  VvfBlockWriter blocks_;
  VideoEncoder encoder_{static_cast<int>(FormatVariant::QM_QMT2)};
  std::vector<std::uint8_t> picture_;
  std::vector<std::uint8_t> frame_;
};

}  // namespace

// tavrix make-sample <out.VVF> [--seconds N] [--pal|--ntsc] [--audio-channels N]
// A deterministic four-channel recording of moving test pictures with A-law
// sound. Only a complete file is put in place, so a failure never leaves a
// damaged file behind (nor touches an existing one).
int RunMakeSample(const std::vector<std::string>& words) {
  const Arguments args(words, {"seconds", "audio-channels"}, {"pal", "ntsc"});
  const std::string& out = args.RequirePositional(0, "output file");
  args.ExpectPositionalCount(1);
  const double seconds = args.Number("seconds", 10, 0.1, 3600);
  const int audioChannels = static_cast<int>(args.Integer("audio-channels", 1, 0, 4));
  if (args.Flag("pal") && args.Flag("ntsc")) throw UsageError("choose one of --pal and --ntsc");
  const Plan plan = args.Flag("pal") ? Plan{kPalHeight, kPalBaseRate / (kFrameInterval + 1)}
                                     : Plan{kNtscHeight, kNtscBaseRate / (kFrameInterval + 1)};

  AtomicFile file;
  if (!file.Open(out) || !SampleWriter(file, plan, audioChannels).Write(seconds) || !file.Commit()) {
    // Only the encoder fails without a file error.
    const std::string error = file.error().empty() ? "encoding a test picture failed" : file.error();
    std::fprintf(stderr, "tavrix make-sample: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace tavrix::cli
