#include "engine/avi_capture.h"

#include "export/export_composer.h"
#include "export/export_status.h"

namespace tavrix {
namespace {

constexpr int kPictureBits = 24;

std::string ExportError(const AviExporter& exporter, int status) {
  const std::string error = exporter.LastError();
  return error.empty() ? ExportStatusText(status) : error;
}

}  // namespace

AviCapture::AviCapture() = default;

AviCapture::~AviCapture() { Stop(); }

void AviCapture::SetFormats(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate) {
  exporter_.SetFormats(videoFormat, audioFormat, channelCount, audioRate);
}

CommandResult AviCapture::Start(const AviCaptureOptions& options, const AviFrameFormat& format) {
  std::lock_guard lock(mutex_);
  if (active_.load()) return CommandResult::Refused("an AVI capture is running already");
  composer_ = std::make_unique<ExportComposer>(
      format.width, format.height, format.channelCount, options.split, options.page,
      [this](const std::uint8_t* frame) {
        if (!exporter_.WriteVideo(frame, true)) writeFailed_ = true;
      });
  composer_->SetCaptionTime(options.showTime, options.timeFormat);
  exporter_.SetEncoder(options.encoder);
  const int status = exporter_.Open(options.path, kPictureBits, format.width, format.height, nullptr, format.frameRate);
  if (status != kExportOk) {
    composer_.reset();
    return CommandResult::Refused(ExportError(exporter_, status));
  }
  writeFailed_ = false;
  active_.store(true);
  return CommandResult::Done();
}

CommandResult AviCapture::Stop() {
  std::lock_guard lock(mutex_);
  if (!active_.load()) return CommandResult::Refused("no AVI capture is running");
  active_.store(false);
  composer_->Flush();
  const bool captured = exporter_.videoIndex() > 0;
  const int status = exporter_.Close();
  composer_.reset();
  if (writeFailed_ || status != kExportOk) {
    return CommandResult::Refused("the AVI file could not be completed: " + ExportError(exporter_, kExportWriteFailed));
  }
  if (!captured) return CommandResult::Refused("no picture was captured, so no AVI file was kept");
  return CommandResult::Done();
}

std::optional<std::string> AviCapture::AddPicture(int channel, const CalendarTime& time,
                                                  const DecodedPicture& picture) {
  std::lock_guard lock(mutex_);
  if (!active_.load()) return std::nullopt;
  composer_->Add(channel, time, picture);
  if (writeFailed_) return EndAfterFailureLocked();
  return std::nullopt;
}

std::optional<std::string> AviCapture::AddSound(const std::uint8_t* payload, int length) {
  std::lock_guard lock(mutex_);
  if (!active_.load()) return std::nullopt;
  if (!exporter_.WriteAudio(payload, length)) return EndAfterFailureLocked();
  return std::nullopt;
}

std::string AviCapture::EndAfterFailureLocked() {
  active_.store(false);
  const std::string error = exporter_.LastError();
  exporter_.Close();
  composer_.reset();
  return "the AVI capture stopped because its file could not be written: " +
         (error.empty() ? std::string(ExportStatusText(kExportWriteFailed)) : error);
}

}  // namespace tavrix
