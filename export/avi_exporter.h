#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "export/audio_track.h"
#include "export/bitmap_info_header.h"
#include "export/encoder_choice.h"
#include "export/export_status.h"
#include "export/media_file.h"
#include "export/video_track.h"
#include "media/format_variant.h"

namespace tavrix {

// Writes what the viewer shows into an AVI file (or MP4 or MKV, by the file
// name): a video stream of bottom-up 24-bit pictures, every frame a key
// frame, and the recording's sound as stored. A file that received no
// picture is deleted when it is closed.
//
// Open and Close may run on one thread while WriteVideo and WriteAudio run on
// others: a lock serialises the writes and Close, and both writes do nothing
// unless the file is ready.
class AviExporter {
 public:
  enum State : int { kIdle = 0, kReady = 1, kOpening = 2, kClosing = 3, kBusy = 5 };
  static constexpr int kDefaultAudioRate = 8000;

  AviExporter() = default;
  AviExporter(const AviExporter&) = delete;
  AviExporter& operator=(const AviExporter&) = delete;
  virtual ~AviExporter();

  // The recorder's formats, as the engine passes them at set-up.
  void SetFormats(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate);
  // The video encoder and its quality for the next Open.
  void SetEncoder(const EncoderSettings& settings);

  // Creates the file. 0 on success (state ready), otherwise an ExportStatus;
  // LastError then says why in one line. A failed Open leaves no file behind.
  int Open(const std::string& path, int bitCount, int width, int height, const BitmapInfoHeader* format,
           int frameRate);
  // One picture of imageSize() bytes, rows from the bottom up, B, G, R. True
  // when it was written; false when no file is ready or writing failed.
  bool WriteVideo(const std::uint8_t* picture, bool keyFrame);
  // Audio payload bytes exactly as stored in the recording.
  bool WriteAudio(const std::uint8_t* data, int length);
  // Finishes the file: kExportOk, or kExportWriteFailed when it could not be
  // completed (it is then removed). Waits for a write in progress.
  int Close();
  // Ends the file without finishing it: it is removed, and a file that was
  // already under its name stays as it was. Waits for a write in progress.
  void Abandon();

  int state() const { return state_.load(); }
  int videoIndex() const { return videoIndex_.load(); }
  std::int64_t audioPosition() const { return audioPosition_.load(); }
  FormatVariant videoFormat() const { return videoFormat_; }
  int channelCount() const { return channelCount_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int imageSize() const { return imageSize_; }
  std::uint16_t blockAlign() const { return blockAlign_; }
  bool opened() const { return opened_; }
  std::string path() const;
  std::string LastError() const;

 private:
  int OpenLocked(const std::string& path, int bitCount, int width, int height, const BitmapInfoHeader* format,
                 int frameRate);
  int End(bool finish);
  int Fail(int status, const std::string& error);
  void RecordWriteFailure(const std::string& error);

  mutable std::mutex lock_;
  std::atomic<int> state_{kIdle};
  std::atomic<int> videoIndex_{0};
  std::atomic<std::int64_t> audioPosition_{0};

  FormatVariant videoFormat_ = FormatVariant::QM_QMT2;
  AudioFormat audioFormat_ = AudioFormat::QM_ALAW;
  int channelCount_ = 4;
  int audioRate_ = kDefaultAudioRate;
  EncoderSettings encoder_;

  int width_ = 0;
  int height_ = 0;
  int imageSize_ = 0;
  std::optional<BitmapInfoHeader> format_;
  std::uint16_t blockAlign_ = 1;
  bool opened_ = false;
  bool writeFailed_ = false;
  std::string path_;
  std::string lastError_;

  MediaFile file_;
  VideoTrack video_;
  AudioTrack audio_;
};

}  // namespace tavrix
