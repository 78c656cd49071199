#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/wav_writer.h"
#include "cli/arguments.h"
#include "cli/progress_bar.h"
#include "storage/vvf_block.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {
namespace {

constexpr std::uint32_t kSampleRate = 8000;
constexpr std::size_t kPcmChunk = 8192;

}  // namespace

// tavrix audio <source> [--disk] --out FILE.wav [--channel N]
// The sound of one audio channel of a recording as 16-bit PCM WAV.
int RunAudio(const std::vector<std::string>& words) {
  const Arguments args(words, {"out", "channel"}, {"disk"});
  const std::string& source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  const std::string out = args.Require("out");
  const auto channel = static_cast<std::int32_t>(args.Integer("channel", 0, 0, 3));

  VvfReader reader;
  reader.SetFormatVariant(FormatVariant::QM_QMT2);
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix audio: %s\n", reader.LastError().c_str());
    return 1;
  }

  AudioDecoder decoder;
  WaveFormat format;
  decoder.Configure(AudioFormat::QM_ALAW, kSampleRate, &format);
  WavWriter wav;
  if (!wav.Open(out, format)) {
    std::fprintf(stderr, "tavrix audio: %s\n", wav.error().c_str());
    return 1;
  }

  auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  auto pcm = std::make_unique<std::uint8_t[]>(kPcmChunk);
  const auto append = [&wav](std::span<const std::uint8_t> piece) { return wav.Append(piece); };
  std::uint64_t frames = 0;
  ProgressBar progress(stderr, "audio frames");
  for (;;) {
    const std::uint64_t before = reader.Position();
    progress.Update(reader.Size() ? static_cast<double>(before) / static_cast<double>(reader.Size()) : 1.0, frames);
    const std::uint32_t length = reader.ReadNext(frame.get());
    if (length == 0) {
      // Nothing delivered and no progress: the end of the source.
      if (reader.Position() == before) break;
      continue;  // a damaged block was skipped
    }
    const FrameInfo& info = reader.frameInfo();
    if (!info.audio || info.channel != channel) continue;
    if (!decoder.DecodeInChunks({frame.get(), length}, {pcm.get(), kPcmChunk}, append)) {
      progress.Finish();
      std::fprintf(stderr, "tavrix audio: %s\n", wav.error().c_str());
      return 1;
    }
    ++frames;
  }
  progress.Finish();
  // Reading stops short of the last whole block only when a read failed.
  if (reader.Position() + kVvfBlockSize <= reader.Size()) {
    std::fprintf(stderr, "tavrix audio: %s: read error at byte %llu\n", source.c_str(),
                 static_cast<unsigned long long>(reader.Position()));
    return 1;
  }
  if (!wav.Finish()) {
    std::fprintf(stderr, "tavrix audio: %s\n", wav.error().c_str());
    return 1;
  }
  const std::uint64_t samples = wav.dataBytes() / format.blockAlign;
  std::printf("%s: %llu samples (%.2f s) from %llu audio frames of channel %d\n", out.c_str(),
              static_cast<unsigned long long>(samples), static_cast<double>(samples) / kSampleRate,
              static_cast<unsigned long long>(frames), channel);
  return 0;
}

}  // namespace tavrix::cli
