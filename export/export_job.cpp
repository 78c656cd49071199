#include "export/export_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <memory>
#include <optional>

#include "codec/channel_decoder.h"
#include "export/avi_exporter.h"
#include "export/export_composer.h"
#include "export/frame_writer_thread.h"
#include "export/player_frame_rate.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix {

namespace {

constexpr int kAudioRate = 8000;
constexpr FormatVariant kVariant = FormatVariant::QM_QMT2;
constexpr int kChannels = ExportJobOptions::kRecorderChannels;
// Pictures and sound queued ahead of the encoder: about three frames.
constexpr int kQueuedItems = 6;

// Whether both names lead to one existing file (the export would replace its own source).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// Choices the job cannot carry out, in one line; empty when they are sound.
std::string OptionsProblem(const ExportJobOptions& options) {
  if (options.source.empty()) return "no recording was given";
  if (options.out.empty()) return "no output file was given";
  if (options.channels == 0 || options.channels >= (1u << kChannels)) return "choose channels from 1 to 4";
  if (options.layout != 1 && options.layout != 4) return "the layout shows 1 or 4 channels";
  if (options.layout == 1 && std::popcount(options.channels) != 1) return "a layout of 1 shows exactly one channel";
  if (options.audioChannel < 0 || options.audioChannel >= kChannels) return "the audio channel must be 0 to 3";
  const FrameBound& from = options.from;
  const FrameBound& to = options.to;
  if ((from.time && to.time && TimeBefore(*to.time, *from.time)) ||
      (from.offset && to.offset && *to.offset < *from.offset)) {
    return "the end of the span is before its start";
  }
  return {};
}

class ExportPass {
 public:
  using Clock = std::chrono::steady_clock;

  ExportPass(const ExportJobOptions& options, const ExportJob::ProgressCallback& progress,
             std::chrono::milliseconds progressInterval)
      : options_(options), progress_(progress), progressInterval_(progressInterval) {}

  ExportJobResult Run(const CancelToken& cancel) {
    if (const std::string problem = OptionsProblem(options_); !problem.empty()) {
      return Fail(ExportOutcome::kInvalidOptions, problem);
    }
    reader_.SetFormatVariant(kVariant);
    if (!reader_.Open(options_.source, options_.disk)) return Fail(ExportOutcome::kSourceFailed, reader_.LastError());
    if (SameFile(options_.source, options_.out)) {
      return Fail(ExportOutcome::kInvalidOptions,
                  options_.out + " is the recording itself; choose another output file");
    }
    decoder_.SelectFormat(static_cast<int>(kVariant));
    exporter_.SetFormats(kVariant, AudioFormat::QM_ALAW, kChannels, kAudioRate);
    exporter_.SetEncoder(options_.encoder);

    VvfForwardScan scan(reader_);
    auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
    for (;;) {
      if (cancel.cancelled()) return Fail(ExportOutcome::kCancelled, "the export was cancelled");
      const std::uint32_t length = scan.Next(frame.get());
      if (length == 0) break;
      const FrameInfo& info = reader_.frameInfo();
      // Every frame is tested: a DVR disk that wrapped around holds its times out of order.
      const bool inSpan = WithinBounds(options_.from, options_.to, reader_.FrameOffset(), info.time);
      const bool handled =
          info.audio ? HandleAudio(frame.get(), length, info, inSpan) : HandleVideo(frame.get(), length, info, inSpan);
      if (!handled) return Fail(ExportOutcome::kOutputFailed, exporter_.LastError());
      ReportProgress(reader_.Position());
    }
    result_.damagedBlocks = static_cast<int>(scan.blocks().rejected);
    if (scan.blocks().valid() == 0) {
      return Fail(ExportOutcome::kNoRecording, options_.source + ": no VVF blocks found");
    }
    return Finish();
  }

 private:
  bool HandleAudio(const std::uint8_t* payload, std::uint32_t length, const FrameInfo& info, bool inSpan) {
    // Sound starts with the first picture, so the two stay in step.
    if (!composer_ || !inSpan || info.channel != options_.audioChannel) return true;
    return writer_->Push(FrameWriterThread::Kind::kSound, payload, length);
  }

  bool HandleVideo(const std::uint8_t* frame, std::uint32_t length, const FrameInfo& info, bool inSpan) {
    // Other channels are not decoded at all; the chosen ones are decoded from
    // the start, so update pictures before the span have their reference.
    if (!(options_.channels & (1u << info.channel))) return true;
    const ChannelDecoder::Outcome outcome = decoder_.Decode(frame, length);
    if (!outcome.decoded) {
      ++result_.undecodedPictures;
      return true;
    }
    if (!inSpan) return true;
    for (int i = 0; i < outcome.shownCount; ++i) {
      const ChannelDecoder::Shown& shown = outcome.shown[static_cast<std::size_t>(i)];
      if (!(options_.channels & (1u << shown.channel))) continue;
      if (!composer_ && !OpenExport(info, *shown.picture)) return false;
      composer_->Add(shown.channel, info.time, *shown.picture);
    }
    return !writeFailed_;
  }

  // The file is made with the first picture: its size and the recording's
  // channel mask and interval give the frame size and rate.
  bool OpenExport(const FrameInfo& info, const DecodedPicture& picture) {
    const int width = static_cast<int>(picture.width());
    const int height = 2 * static_cast<int>(picture.height());
    result_.frameRate = PlayerFrameRate(info.blockChannelMask, info.interval, picture.height(), kVariant);
    const int status = exporter_.Open(options_.out, 24, width, height, nullptr, result_.frameRate);
    if (status != kExportOk) {
      openStatus_ = status;
      return false;
    }
    // Encoding runs beside the reading and composing of the next frames.
    const auto slotBytes = std::max(static_cast<std::size_t>(exporter_.imageSize()), kMaxFrameBytes);
    writer_.emplace(
        slotBytes, kQueuedItems, [this](FrameWriterThread::Kind kind, const std::uint8_t* bytes, std::size_t length) {
          return kind == FrameWriterThread::Kind::kPicture ? exporter_.WriteVideo(bytes, true)
                                                           : exporter_.WriteAudio(bytes, static_cast<int>(length));
        });
    const int page = options_.layout == 1 ? std::countr_zero(options_.channels) : 0;
    composer_.emplace(width, height, kChannels, options_.layout, page, [this](const std::uint8_t* composed) {
      const auto bytes = static_cast<std::size_t>(exporter_.imageSize());
      if (!writer_->Push(FrameWriterThread::Kind::kPicture, composed, bytes)) writeFailed_ = true;
    });
    return true;
  }

  void ReportProgress(std::uint64_t bytesRead) {
    if (!progress_) return;
    const Clock::time_point now = Clock::now();
    if (lastReport_ && now - *lastReport_ < progressInterval_) return;
    lastReport_ = now;
    progress_({bytesRead, reader_.Size(), exporter_.videoIndex()});
  }

  ExportJobResult Finish() {
    result_.truncated = reader_.Size() % kVvfBlockSize != 0;
    if (!composer_) {
      return Fail(ExportOutcome::kNothingToExport,
                  "no pictures of the chosen channels" +
                      std::string(options_.from.IsSet() || options_.to.IsSet() ? " within the span" : "") + " in " +
                      options_.source + "; nothing was written");
    }
    composer_->Flush();
    if (!writer_->Finish()) writeFailed_ = true;
    if (writeFailed_ || exporter_.Close() != kExportOk) {
      return Fail(ExportOutcome::kOutputFailed, exporter_.LastError());
    }
    result_.outcome = ExportOutcome::kDone;
    result_.frames = exporter_.videoIndex();
    result_.audioSamples = exporter_.audioPosition();
    if (progress_) progress_({reader_.Size(), reader_.Size(), result_.frames});
    return result_;
  }

  ExportJobResult Fail(ExportOutcome outcome, const std::string& error) {
    // Abandoning first refuses the frames still queued, so the writer ends at once.
    exporter_.Abandon();
    if (writer_) writer_->Finish();
    result_.outcome = outcome;
    result_.error = error;
    if (result_.error.empty() && openStatus_ != kExportOk) result_.error = ExportStatusText(openStatus_);
    if (result_.error.empty()) result_.error = "the export failed";
    return result_;
  }

  const ExportJobOptions& options_;
  const ExportJob::ProgressCallback& progress_;
  const std::chrono::milliseconds progressInterval_;
  VvfReader reader_;
  ChannelDecoder decoder_;
  AviExporter exporter_;
  std::optional<FrameWriterThread> writer_;
  std::optional<ExportComposer> composer_;
  ExportJobResult result_;
  int openStatus_ = kExportOk;
  bool writeFailed_ = false;
  std::optional<Clock::time_point> lastReport_;
};

}  // namespace

ExportJob::ExportJob(ExportJobOptions options) : options_(std::move(options)) {}

void ExportJob::SetProgressCallback(ProgressCallback callback, std::chrono::milliseconds interval) {
  progress_ = std::move(callback);
  progressInterval_ = interval;
}

ExportJobResult ExportJob::Run(const CancelToken& cancel) const {
  return ExportPass(options_, progress_, progressInterval_).Run(cancel);
}

ExportJobResult ExportJob::Run() const { return Run(CancelToken()); }

}  // namespace tavrix
