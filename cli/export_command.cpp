#include <bit>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/frame_bound.h"
#include "cli/progress_bar.h"
#include "export/export_job.h"
#include "export/ffmpeg_log.h"

namespace tavrix::cli {
namespace {

constexpr int kChannels = ExportJobOptions::kRecorderChannels;

std::uint32_t ParseChannels(const std::string& text) {
  if (text == "all") return (1u << kChannels) - 1;
  std::uint32_t mask = 0;
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    if (item.size() != 1 || item[0] < '1' || item[0] > '0' + kChannels) {
      throw UsageError("--channels takes \"all\" or channel numbers 1 to 4 separated by commas, not \"" + text +
                       "\"");
    }
    mask |= 1u << (item[0] - '1');
  }
  if (mask == 0) throw UsageError("--channels names no channel");
  return mask;
}

ExportJobOptions ParseOptions(const std::vector<std::string>& words) {
  const Arguments args(words, {"out", "channels", "layout", "from", "to", "codec", "quality", "audio-channel"},
                       {"disk"});
  ExportJobOptions options;
  options.source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  options.disk = args.Flag("disk");
  options.out = args.Require("out");
  options.channels = ParseChannels(args.Value("channels").value_or("all"));
  const int selected = std::popcount(options.channels);
  options.layout = static_cast<int>(args.Integer("layout", selected == 1 ? 1 : 4, 1, 4));
  if (options.layout != 1 && options.layout != 4) throw UsageError("--layout must be 1 or 4");
  if (options.layout == 1 && selected != 1) {
    throw UsageError("--layout 1 shows one channel: choose it with --channels N");
  }
  if (const auto from = args.Value("from")) options.from = ParseFrameBound("from", *from);
  if (const auto to = args.Value("to")) options.to = ParseFrameBound("to", *to);
  if ((options.from.time && options.to.time && TimeBefore(*options.to.time, *options.from.time)) ||
      (options.from.offset && options.to.offset && *options.to.offset < *options.from.offset)) {
    throw UsageError("--to is before --from");
  }
  if (const auto codec = args.Value("codec")) {
    const auto parsed = ParseVideoCodec(*codec);
    if (!parsed) throw UsageError("--codec must be raw, mjpeg, mpeg4, h264 or ffv1");
    if (!IsEncoderAvailable(*parsed)) {
      throw UsageError(std::string("this FFmpeg has no ") + EncoderName(*parsed) + " encoder");
    }
    options.encoder.codec = *parsed;
  }
  options.encoder.quality = static_cast<int>(args.Integer("quality", EncoderSettings::kDefaultQuality, 1, 100));
  options.audioChannel = static_cast<int>(args.Integer("audio-channel", 0, 0, kChannels - 1));
  return options;
}

}  // namespace

// tavrix export <source> [--disk] --out FILE [--channels all|1,3] [--layout 1|4]
//               [--from T] [--to T] [--codec C] [--quality Q] [--audio-channel N]
int RunExport(const std::vector<std::string>& words) {
  ExportJob job(ParseOptions(words));
  const ExportJobOptions& options = job.options();
  QuietFfmpegLogging();
  ProgressBar bar(stderr, "frames");
  job.SetProgressCallback([&bar](const ExportProgress& progress) {
    bar.Update(progress.bytesTotal == 0 ? 1.0 : static_cast<double>(progress.bytesRead) / progress.bytesTotal,
               progress.framesWritten);
  });
  const ExportJobResult result = job.Run();
  bar.Finish();
  if (!result.ok()) {
    const bool diskHint = result.outcome == ExportOutcome::kNoRecording && !options.disk;
    std::fprintf(stderr, "tavrix export: %s%s\n", result.error.c_str(),
                 diskHint ? " (a DVR disk or disk image needs --disk)" : "");
    return 1;
  }
  std::printf("%s: %d frames (%.1f s at %d frames per second, %s), %lld audio samples\n", options.out.c_str(),
              result.frames, static_cast<double>(result.frames) / result.frameRate, result.frameRate,
              VideoCodecName(options.encoder.codec), static_cast<long long>(result.audioSamples));
  if (result.damagedBlocks > 0 || result.undecodedPictures > 0 || result.truncated) {
    std::fprintf(stderr,
                 "tavrix export: %s is damaged (%d damaged blocks skipped, %d pictures that did not decode%s); "
                 "exported what could be decoded\n",
                 options.source.c_str(), result.damagedBlocks, result.undecodedPictures,
                 result.truncated ? ", the last block cut short" : "");
  }
  return 0;
}

}  // namespace tavrix::cli
