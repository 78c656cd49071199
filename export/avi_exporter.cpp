#include "export/avi_exporter.h"

namespace tavrix {

namespace {

constexpr int kPictureBits = 24;

}  // namespace

AviExporter::~AviExporter() { Close(); }

void AviExporter::SetFormats(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate) {
  std::lock_guard guard(lock_);
  videoFormat_ = videoFormat;
  audioFormat_ = audioFormat;
  channelCount_ = channelCount;
  audioRate_ = audioRate;
}

void AviExporter::SetEncoder(const EncoderSettings& settings) {
  std::lock_guard guard(lock_);
  encoder_ = settings;
}

int AviExporter::Open(const std::string& path, int bitCount, int width, int height,
                      const BitmapInfoHeader* format, int frameRate) {
  if (path.empty()) return kExportEmptyPath;
  const int current = state_.load();
  if (current == kClosing) return kExportCloseInProgress;
  if (current == kOpening) return kExportOpenInProgress;
  if (current != kIdle) Close();

  std::lock_guard guard(lock_);
  int expected = kIdle;
  if (!state_.compare_exchange_strong(expected, kOpening)) {
    return expected == kClosing ? kExportCloseInProgress : kExportOpenInProgress;
  }
  const int status = OpenLocked(path, bitCount, width, height, format, frameRate);
  state_.store(status == kExportOk ? kReady : kIdle);
  return status;
}

int AviExporter::OpenLocked(const std::string& path, int bitCount, int width, int height,
                            const BitmapInfoHeader* format, int frameRate) {
  lastError_.clear();
  if (width <= 0 || height <= 0 || bitCount <= 0 || frameRate < 1) {
    return Fail(kExportBadPicture, "the picture size, bit count or frame rate is not positive");
  }
  width_ = width;
  height_ = height;
  imageSize_ = static_cast<int>(static_cast<std::int64_t>(width) * height * bitCount / 8);
  // A given picture description decides the frame size, as it does for the
  // stream's frame rectangle.
  const int frameWidth = format ? format->width : width;
  const int frameHeight = format ? format->height : height;
  if (bitCount != kPictureBits || frameWidth != width || frameHeight != height ||
      (format && (format->bitCount != kPictureBits || format->compression != 0))) {
    return Fail(kExportFormatRefused, "Invalid codec!");
  }

  std::string error;
  if (!file_.Create(path, ContainerForPath(path), error)) return Fail(kExportFileFailed, error);
  int status = video_.Open(file_, encoder_, width, height, frameRate, error);
  if (status == kExportOk) status = audio_.Open(file_, audioFormat_, audioRate_, error);
  if (status == kExportOk && !file_.WriteHeader(error)) status = kExportFormatRefused;
  if (status != kExportOk) {
    video_.Close();
    audio_.Close();
    file_.Abandon();
    return Fail(status, error);
  }

  blockAlign_ = static_cast<std::uint16_t>(audio_.blockAlign());
  videoIndex_.store(0);
  audioPosition_.store(0);
  path_ = path;
  format_.reset();
  if (format) format_ = *format;
  writeFailed_ = false;
  opened_ = true;
  return kExportOk;
}

int AviExporter::Fail(int status, const std::string& error) {
  lastError_ = error;
  return status;
}

bool AviExporter::WriteVideo(const std::uint8_t* picture, bool keyFrame) {
  std::lock_guard guard(lock_);
  if (state_.load() != kReady || !opened_ || !picture || writeFailed_) return false;
  state_.store(kBusy);
  std::string error;
  const bool written = video_.Write(file_, picture, videoIndex_.load(), keyFrame, error);
  if (written) {
    videoIndex_.fetch_add(1);
  } else {
    RecordWriteFailure(error);
  }
  state_.store(kReady);
  return written;
}

bool AviExporter::WriteAudio(const std::uint8_t* data, int length) {
  std::lock_guard guard(lock_);
  if (state_.load() != kReady || !opened_ || !data || length <= 0 || writeFailed_) return false;
  state_.store(kBusy);
  std::string error;
  const bool written = audio_.Write(file_, data, length, audioPosition_.load(), error);
  if (written) {
    audioPosition_.fetch_add(length / blockAlign_);
  } else {
    RecordWriteFailure(error);
  }
  state_.store(kReady);
  return written;
}

void AviExporter::RecordWriteFailure(const std::string& error) {
  writeFailed_ = true;
  lastError_ = error;
}

int AviExporter::Close() { return End(true); }

void AviExporter::Abandon() { End(false); }

int AviExporter::End(bool finish) {
  std::lock_guard guard(lock_);
  if (state_.load() != kReady) return kExportOk;
  state_.store(kClosing);

  std::string error;
  bool complete = finish && !writeFailed_;
  if (complete && videoIndex_.load() > 0) {
    complete = video_.Flush(file_, error) && audio_.Flush(file_, error) && file_.Finish(error);
  }
  video_.Close();
  audio_.Close();
  // Nothing was shown: no file at all, rather than one without pictures.
  if (videoIndex_.load() == 0 || !complete) file_.Abandon();
  if (!complete && !error.empty()) lastError_ = error;

  path_.clear();
  state_.store(kIdle);
  return complete ? kExportOk : kExportWriteFailed;
}

std::string AviExporter::path() const {
  std::lock_guard guard(lock_);
  return path_;
}

std::string AviExporter::LastError() const {
  std::lock_guard guard(lock_);
  return lastError_;
}

}  // namespace tavrix
