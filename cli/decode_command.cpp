#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "cli/frame_bound.h"
#include "cli/png_writer.h"
#include "cli/progress_bar.h"
#include "cli/source_problem.h"
#include "codec/channel_decoder.h"
#include "media/format_variant.h"
#include "picture/colour_conversion.h"
#include "platform/atomic_file.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {
namespace {

constexpr const char* kUsageChannels = "--channel takes a channel number from 1 to 16, as the captions show it";

// Where the pictures go: numbered PNG files, or one raw YUV 4:2:0 file.
class PictureSink {
 public:
  PictureSink(std::filesystem::path directory, int channel, bool png)
      : directory_(std::move(directory)), channel_(channel), png_(png) {}

  bool Write(const DecodedPicture& picture) {
    if (!png_ && count_ > 0 && (picture.width() != width_ || picture.height() != height_)) {
      error_ = "the picture size changed from " + Size(width_, height_) + " to " +
               Size(picture.width(), picture.height()) + "; a raw YUV file holds one size";
      return false;
    }
    width_ = picture.width();
    height_ = picture.height();
    const bool written = png_ ? WritePng(picture) : WriteYuv(picture);
    count_ += written;
    return written;
  }

  // Puts the raw file in place; false when it could not be completed. A
  // sink destroyed without it leaves an earlier raw file as it was.
  bool Finish() {
    if (!yuv_.IsOpen()) return true;
    if (yuv_.Commit()) return true;
    error_ = yuv_.error();
    return false;
  }

  std::uint64_t count() const { return count_; }
  std::string size() const { return Size(width_, height_); }
  const std::string& error() const { return error_; }
  std::filesystem::path YuvPath() const { return directory_ / ("ch" + std::to_string(channel_) + ".yuv"); }

 private:
  static std::string Size(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
  }

  bool WritePng(const DecodedPicture& picture) {
    bgr_.resize(static_cast<std::size_t>(picture.width()) * picture.height() * 3);
    YuvToBgr24(bgr_.data(), picture.data(), static_cast<int>(picture.width()), static_cast<int>(picture.height()));
    char name[32];
    std::snprintf(name, sizeof name, "ch%d-%06llu.png", channel_, static_cast<unsigned long long>(count_));
    if (pngWriter_.WriteBgr24((directory_ / name).string(), bgr_.data(), static_cast<int>(picture.width()),
                       static_cast<int>(picture.height()))) {
      return true;
    }
    error_ = pngWriter_.error();
    return false;
  }

  bool WriteYuv(const DecodedPicture& picture) {
    if ((count_ == 0 && !yuv_.Open(YuvPath().string())) || !yuv_.Write(picture.data(), picture.size())) {
      error_ = yuv_.error();
      return false;
    }
    return true;
  }

  std::filesystem::path directory_;
  int channel_;
  bool png_;
  PngWriter pngWriter_;
  std::vector<std::uint8_t> bgr_;
  AtomicFile yuv_;
  std::uint64_t count_ = 0;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::string error_;
};

}  // namespace

// tavrix decode <source> [--disk] --channel N --out DIR [--format png|yuv]
//               [--from T] [--to T] [--portable]
// Decodes every video frame with one reference picture per channel and
// writes the pictures of channel N (1-based, as the captions count) that lie
// within the bounds. Pictures before the channel's first full picture are
// incomplete and are not written.
int RunDecode(const std::vector<std::string>& words) {
  const Arguments args(words, {"channel", "out", "format", "from", "to"}, {"disk", "portable"});
  const std::string& source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  const std::string channelText = args.Require("channel");
  if (channelText.empty() || channelText.size() > 2 || channelText.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(channelText) < 1 || std::stoi(channelText) > ChannelDecoder::kMaxChannels) {
    throw UsageError(kUsageChannels);
  }
  const int channel = std::stoi(channelText);
  const std::filesystem::path directory = args.Require("out");
  const std::string format = args.Value("format").value_or("png");
  if (format != "png" && format != "yuv") throw UsageError("--format must be png or yuv");
  const FrameBound from = args.Value("from") ? ParseFrameBound("from", *args.Value("from")) : FrameBound{};
  const FrameBound to = args.Value("to") ? ParseFrameBound("to", *args.Value("to")) : FrameBound{};

  VvfReader reader;
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix decode: %s\n", reader.LastError().c_str());
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error || !std::filesystem::is_directory(directory)) {
    std::fprintf(stderr, "tavrix decode: cannot create the folder %s: %s\n", directory.c_str(),
                 error ? error.message().c_str() : "a file of that name exists");
    return 1;
  }

  reader.SetFormatVariant(FormatVariant::QM_QMT2);
  ChannelDecoder decoder(args.Flag("portable") ? VideoDecoder::Idct::kPortable : VideoDecoder::Idct::kFastest);
  decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMT2));
  PictureSink sink(directory, channel, format == "png");
  VvfForwardScan scan(reader);
  // A byte bound starts the scan in its block; a time bound cannot, since
  // update pictures before it are needed as references.
  if (from.offset) reader.Seek(*from.offset / kVvfBlockSize * kVvfBlockSize);

  ProgressBar progress(stderr, "pictures");
  auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  bool complete = false;  // a full picture of the channel has been decoded
  std::uint64_t refused = 0, incomplete = 0;
  bool stoppedEarly = false;
  std::uint32_t length;
  while ((length = scan.Next(frame.get())) > 0) {
    const std::uint64_t offset = reader.FrameOffset();
    if (to.offset && offset > *to.offset) {
      stoppedEarly = true;
      break;
    }
    const FrameInfo& info = reader.frameInfo();
    if (info.audio) continue;
    const ChannelDecoder::Outcome outcome = decoder.Decode(frame.get(), length);
    if (!outcome.decoded) {
      ++refused;
      continue;
    }
    for (int i = 0; i < outcome.shownCount; ++i) {
      if (outcome.shown[i].channel != channel - 1) continue;
      complete = complete || decoder.decoder().fullPicture();
      if (!WithinBounds(from, to, offset, info.time)) continue;
      if (!complete) {
        ++incomplete;
        continue;
      }
      if (!sink.Write(*outcome.shown[i].picture)) {
        progress.Finish();
        std::fprintf(stderr, "tavrix decode: %s\n", sink.error().c_str());
        return 1;
      }
    }
    if (reader.Size() > 0) {
      progress.Update(static_cast<double>(offset) / static_cast<double>(reader.Size()), sink.count());
    }
  }
  progress.Finish();
  if (!sink.Finish()) {
    std::fprintf(stderr, "tavrix decode: %s\n", sink.error().c_str());
    return 1;
  }

  if (refused > 0) {
    std::fprintf(stderr, "tavrix decode: %llu damaged video frames skipped\n", static_cast<unsigned long long>(refused));
  }
  if (incomplete > 0) {
    std::fprintf(stderr, "tavrix decode: %llu pictures before the channel's first full picture skipped\n",
                 static_cast<unsigned long long>(incomplete));
  }
  const std::string problem = stoppedEarly ? "" : SourceProblem(source, args.Flag("disk"), reader, scan);
  if (!problem.empty()) {
    std::fprintf(stderr, "tavrix decode: %s\n", problem.c_str());
    return 1;
  }
  if (sink.count() == 0) {
    std::fprintf(stderr, "tavrix decode: no complete picture of channel %d in the range\n", channel);
    return 1;
  }
  if (format == "png") {
    std::printf("%llu pictures (%s) of channel %d written to %s\n", static_cast<unsigned long long>(sink.count()),
                sink.size().c_str(), channel, directory.c_str());
  } else {
    std::printf("%llu pictures of channel %d written to %s (raw yuv420p, %s)\n",
                static_cast<unsigned long long>(sink.count()), channel, sink.YuvPath().c_str(), sink.size().c_str());
  }
  return 0;
}

}  // namespace tavrix::cli
