// Export speed of a 4-channel recording (read, decode, compose, encode, write)
// beside FFmpeg's command-line encoder fed the same composed frames through a
// pipe, for MJPEG and H.264 with the same encoder settings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "codec/channel_decoder.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "export/avi_exporter.h"
#include "export/export_composer.h"
#include "export/export_job.h"
#include "export/ffmpeg_log.h"
#include "storage/vvf_block_writer.h"
#include "storage/vvf_reader.h"

namespace tavrix {
namespace {

constexpr int kRounds = 300;
constexpr int kChannels = 4;
constexpr int kWidth = 640;
constexpr int kHeight = 448;
constexpr int kFrameRate = 15;
constexpr int kQuality = EncoderSettings::kDefaultQuality;
constexpr std::uint32_t kFirstBlockTime = 1262054400;

// Reads, decodes and composes the recording as an export does, without
// encoding; returns the number of frames.
int ComposeRecording(const std::string& path, const ExportComposer::FrameWriter& writer) {
  VvfReader reader;
  reader.SetFormatVariant(FormatVariant::QM_QMT2);
  reader.Open(path, false);
  ChannelDecoder decoder;
  decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMT2));
  ExportComposer composer(kWidth, kHeight, kChannels, 4, 0, writer);
  auto buffer = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  std::uint32_t length;
  while ((length = reader.ReadNext(buffer.get())) != 0) {
    if (reader.frameInfo().audio) continue;
    const auto outcome = decoder.Decode(buffer.get(), length);
    for (int i = 0; outcome.decoded && i < outcome.shownCount; ++i) {
      composer.Add(outcome.shown[i].channel, reader.frameInfo().time, *outcome.shown[i].picture);
    }
  }
  composer.Flush();
  return composer.framesWritten();
}

// The recording, written once to a scratch folder, and the frames its export
// composes, top row first as the command-line tool reads raw video.
class Fixture {
 public:
  static Fixture& Get() {
    static Fixture fixture;
    return fixture;
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }

  const std::string& recording() const { return recording_; }
  std::string File(const std::string& name) const { return directory_ + "/" + name; }
  const std::vector<std::vector<std::uint8_t>>& frames() const { return frames_; }

 private:
  Fixture() {
    QuietFfmpegLogging();
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tavrix-export-bench-XXXXXX";
    directory_ = mkdtemp(pattern.data()) ? pattern : "/tmp";
    recording_ = File("bench.vvf");
    WriteRecording();
    ComposeFrames();
  }

  void WriteRecording() {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(recording_.c_str(), "wb"), std::fclose);
    VvfBlockWriter writer([&file](const std::uint8_t* bytes, std::size_t length) {
      return std::fwrite(bytes, 1, length, file.get()) == length;
    });
    VideoEncoder encoder;
    DecodedPicture picture;
    picture.SetSize(kPictureWidth, kNtscHeight);
    std::vector<std::uint8_t> coded;
    std::vector<std::uint8_t> audio(6 + 533, 0xA5);
    audio[0] = audio[1] = audio[4] = audio[5] = 0;
    audio[2] = 1;
    audio[3] = 0xFA;
    for (int round = 0; round < kRounds; ++round) {
      writer.SetHeader({kFirstBlockTime + static_cast<std::uint32_t>(round / kFrameRate), 0x0F, 0});
      for (int channel = 0; channel < kChannels; ++channel) {
        DrawTestPicture(picture.data(), kPictureWidth, kNtscHeight, channel, round, round / kFrameRate);
        const auto kind = round == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
        encoder.Encode(picture.data(), kPictureWidth, kNtscHeight, channel, 5, kind, coded);
        writer.Append(coded.data(), coded.size());
      }
      writer.Append(audio.data(), audio.size());
    }
    writer.Append(audio.data(), 4);  // a last start code, so the last frame is read
    writer.Finish();
  }

  void ComposeFrames() {
    ComposeRecording(recording_, [this](const std::uint8_t* frame) {
      std::vector<std::uint8_t>& topDown = frames_.emplace_back(std::size_t{kWidth} * kHeight * 3);
      const std::size_t row = std::size_t{kWidth} * 3;
      for (int y = 0; y < kHeight; ++y) std::memcpy(&topDown[y * row], frame + (kHeight - 1 - y) * row, row);
    });
  }

  std::string directory_;
  std::string recording_;
  std::vector<std::vector<std::uint8_t>> frames_;
};

// The share of an export that is not encoding: reading, decoding, composing.
void DecodeAndCompose(benchmark::State& state) {
  const Fixture& fixture = Fixture::Get();
  int frames = 0;
  for (auto _ : state) frames += ComposeRecording(fixture.recording(), [](const std::uint8_t*) {});
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

void ExportRecording(benchmark::State& state, VideoCodec codec) {
  if (!IsEncoderAvailable(codec)) {
    state.SkipWithError("encoder not available");
    return;
  }
  const Fixture& fixture = Fixture::Get();
  ExportJobOptions options;
  options.source = fixture.recording();
  options.out = fixture.File(std::string("ours.") + VideoCodecName(codec) + ".avi");
  options.encoder = {codec, kQuality};
  const ExportJob job(options);
  int frames = 0;
  for (auto _ : state) {
    const ExportJobResult result = job.Run();
    if (!result.ok()) {
      state.SkipWithError(result.error.c_str());
      return;
    }
    frames += result.frames;
  }
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

// Our exporter alone, fed the composed frames the command-line tool gets.
void EncodeComposedFrames(benchmark::State& state, VideoCodec codec) {
  const Fixture& fixture = Fixture::Get();
  std::vector<std::uint8_t> bottomUp(std::size_t{kWidth} * kHeight * 3);
  const std::size_t row = std::size_t{kWidth} * 3;
  int frames = 0;
  for (auto _ : state) {
    AviExporter exporter;
    exporter.SetEncoder({codec, kQuality});
    if (exporter.Open(fixture.File("encoded.avi"), 24, kWidth, kHeight, nullptr, kFrameRate) != kExportOk) {
      state.SkipWithError(exporter.LastError().c_str());
      return;
    }
    for (const auto& frame : fixture.frames()) {
      state.PauseTiming();
      for (int y = 0; y < kHeight; ++y) std::memcpy(&bottomUp[y * row], &frame[(kHeight - 1 - y) * row], row);
      state.ResumeTiming();
      exporter.WriteVideo(bottomUp.data(), true);
    }
    exporter.Close();
    frames += static_cast<int>(fixture.frames().size());
  }
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

std::string CommandLineCodec(VideoCodec codec) {
  if (codec == VideoCodec::kH264) {
    return "-c:v libx264 -preset veryfast -crf " + std::to_string(RateFactorForQuality(kQuality)) +
           " -g 1 -bf 0 -pix_fmt yuv420p";
  }
  return "-c:v mjpeg -q:v " + std::to_string(QuantiserForQuality(kQuality)) + " -pix_fmt yuvj420p";
}

void FfmpegCommandLine(benchmark::State& state, VideoCodec codec) {
  const Fixture& fixture = Fixture::Get();
  const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s " + std::to_string(kWidth) + "x" +
                              std::to_string(kHeight) + " -r " + std::to_string(kFrameRate) + " -i pipe: " +
                              CommandLineCodec(codec) + " -an -f avi " +
                              fixture.File(std::string("cli.") + VideoCodecName(codec) + ".avi");
  int frames = 0;
  for (auto _ : state) {
    std::FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) {
      state.SkipWithError("cannot run ffmpeg");
      return;
    }
    for (const auto& frame : fixture.frames()) std::fwrite(frame.data(), 1, frame.size(), pipe);
    if (pclose(pipe) != 0) {
      state.SkipWithError("ffmpeg failed");
      return;
    }
    frames += static_cast<int>(fixture.frames().size());
  }
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

BENCHMARK(DecodeAndCompose)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ExportRecording, mjpeg, VideoCodec::kMjpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(EncodeComposedFrames, mjpeg, VideoCodec::kMjpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FfmpegCommandLine, mjpeg, VideoCodec::kMjpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ExportRecording, h264, VideoCodec::kH264)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(EncodeComposedFrames, h264, VideoCodec::kH264)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FfmpegCommandLine, h264, VideoCodec::kH264)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavrix
