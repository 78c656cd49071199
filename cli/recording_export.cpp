#include "cli/recording_export.h"

#include <sys/stat.h>

#include <memory>

#include "cli/frame_writer_thread.h"
#include "codec/channel_decoder.h"
#include "export/avi_exporter.h"
#include "export/export_composer.h"
#include "export/player_frame_rate.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix {

namespace {

constexpr int kAudioRate = 8000;
constexpr FormatVariant kVariant = FormatVariant::QM_QMT2;
// Frames composed ahead of the encoder.
constexpr int kQueuedFrames = 3;

// Whether both names lead to one existing file (the export would replace its own source).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

class ExportPass {
 public:
  explicit ExportPass(const RecordingExportOptions& options) : options_(options) {}

  RecordingExportResult Run(const RecordingExport::Progress& progress) {
    reader_.SetFormatVariant(kVariant);
    if (!reader_.Open(options_.source, options_.disk)) return Fail(reader_.LastError());
    if (SameFile(options_.source, options_.out)) {
      return Fail(options_.out + " is the recording itself; choose another output file");
    }
    decoder_.SelectFormat(static_cast<int>(kVariant));
    exporter_.SetFormats(kVariant, AudioFormat::QM_ALAW, RecordingExportOptions::kRecorderChannels,
                         kAudioRate);
    exporter_.SetEncoder(options_.encoder);

    VvfForwardScan scan(reader_);
    auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
    while (const std::uint32_t length = scan.Next(frame.get())) {
      const FrameInfo& info = reader_.frameInfo();
      // Every frame is tested: a DVR disk that wrapped around holds its times out of order.
      const bool inSpan = cli::WithinBounds(options_.from, options_.to, reader_.FrameOffset(), info.time);
      const bool handled = info.audio ? HandleAudio(frame.get(), length, info, inSpan)
                                      : HandleVideo(frame.get(), length, info, inSpan);
      if (!handled) return Fail(exporter_.LastError());
      if (progress) progress(reader_.Position(), reader_.Size(), exporter_.videoIndex());
    }
    result_.damagedBlocks = static_cast<int>(scan.blocks().rejected);
    if (scan.blocks().valid() == 0) {
      return Fail(options_.source + ": no VVF blocks found" +
                  (options_.disk ? "" : " (a DVR disk or disk image needs --disk)"));
    }
    return Finish();
  }

 private:
  bool HandleAudio(const std::uint8_t* payload, std::uint32_t length, const FrameInfo& info, bool inSpan) {
    // Sound starts with the first picture, so the two stay in step.
    if (!composer_ || !inSpan || info.channel != options_.audioChannel) return true;
    return exporter_.WriteAudio(payload, static_cast<int>(length));
  }

  bool HandleVideo(const std::uint8_t* frame, std::uint32_t length, const FrameInfo& info, bool inSpan) {
    // Other channels are not decoded at all; the chosen ones are decoded from
    // the start, so update pictures before --from have their reference.
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
    result_.frameRate =
        PlayerFrameRate(info.blockChannelMask, info.interval, picture.height(), kVariant);
    const int status = exporter_.Open(options_.out, 24, width, height, nullptr, result_.frameRate);
    if (status != kExportOk) {
      openStatus_ = status;
      return false;
    }
    // Encoding runs beside the reading and composing of the next frames.
    writer_.emplace(static_cast<std::size_t>(exporter_.imageSize()), kQueuedFrames,
                    [this](const std::uint8_t* composed) { return exporter_.WriteVideo(composed, true); });
    composer_.emplace(width, height, RecordingExportOptions::kRecorderChannels, options_.split, options_.page,
                      [this](const std::uint8_t* composed) {
                        if (!writer_->Push(composed)) writeFailed_ = true;
                      });
    return true;
  }

  RecordingExportResult Finish() {
    result_.truncated = reader_.Size() % kVvfBlockSize != 0;
    if (!composer_) {
      return Fail("no pictures of the chosen channels" +
                  std::string(Bounded() ? " within --from and --to" : "") + " in " +
                  options_.source + "; nothing was written");
    }
    composer_->Flush();
    if (!writer_->Finish()) writeFailed_ = true;
    if (writeFailed_ || exporter_.Close() != kExportOk) return Fail(exporter_.LastError());
    result_.ok = true;
    result_.frames = exporter_.videoIndex();
    result_.audioSamples = exporter_.audioPosition();
    return result_;
  }

  RecordingExportResult Fail(const std::string& error) {
    if (writer_) writer_->Finish();
    exporter_.Close();
    result_.ok = false;
    result_.error = error;
    if (result_.error.empty() && openStatus_ != kExportOk) result_.error = ExportStatusText(openStatus_);
    if (result_.error.empty()) result_.error = "the export failed";
    return result_;
  }

  bool Bounded() const {
    return options_.from.offset || options_.from.time || options_.to.offset || options_.to.time;
  }

  const RecordingExportOptions& options_;
  VvfReader reader_;
  ChannelDecoder decoder_;
  AviExporter exporter_;
  std::optional<FrameWriterThread> writer_;
  std::optional<ExportComposer> composer_;
  RecordingExportResult result_;
  int openStatus_ = kExportOk;
  bool writeFailed_ = false;
};

}  // namespace

RecordingExportResult RecordingExport::Run(const RecordingExportOptions& options, const Progress& progress) {
  return ExportPass(options).Run(progress);
}

}  // namespace tavrix
