#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/engine_types.h"
#include "export/avi_exporter.h"
#include "export/encoder_choice.h"
#include "media/calendar_time.h"

namespace tavrix {

class DecodedPicture;
class ExportComposer;

// What an AVI capture of the shown pictures writes, and how.
struct AviCaptureOptions {
  std::string path;          // .avi (default), .mp4 or .mkv by the extension
  EncoderSettings encoder;
  int split = 4;             // the view's layout at the start: 1, 4, 9 or 16 tiles
  int page = 0;
  bool showTime = true;      // the captions as the view shows them
  std::string timeFormat;    // strftime format of the time; empty for the default
};

// The frames of a capture: the picture's width and twice its height (a field
// is line-doubled), the frame rate, and the channels the view lays out.
struct AviFrameFormat {
  int width = 0;
  int height = 0;
  int frameRate = 0;
  int channelCount = 0;
};

// An AVI capture of what playback shows. The playback thread hands it every
// picture it shows and the sound it plays at normal speed; the pictures are
// composed into frames of the view's layout as they arrive and written with
// the sound. Start and Stop come from the thread that drives the engine (or
// from the playback thread as it ends); one lock keeps them from meeting a
// picture that is being composed.
class AviCapture {
 public:
  AviCapture();
  ~AviCapture();
  AviCapture(const AviCapture&) = delete;
  AviCapture& operator=(const AviCapture&) = delete;

  // The recorder's formats, for the sound track.
  void SetFormats(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate);

  // Makes the composition buffer, then opens the file. Refused, with the
  // reason, while a capture runs or when the file cannot be made.
  CommandResult Start(const AviCaptureOptions& options, const AviFrameFormat& format);
  // Writes the frame composed so far and closes the file. Not ok when no
  // capture runs, when no picture was captured (no file is kept) or when the
  // file could not be completed (it is removed); the capture has ended in
  // every case.
  CommandResult Stop();
  bool IsActive() const { return active_.load(); }

  // From the playback thread. When writing fails the capture ends here and
  // the reason is returned.
  std::optional<std::string> AddPicture(int channel, const CalendarTime& time, const DecodedPicture& picture);
  std::optional<std::string> AddSound(const std::uint8_t* payload, int length);

 private:
  // Closes the file after a failed write; the lock is held.
  std::string EndAfterFailureLocked();

  std::mutex mutex_;
  std::atomic<bool> active_{false};
  AviExporter exporter_;
  std::unique_ptr<ExportComposer> composer_;
  bool writeFailed_ = false;
};

}  // namespace tavrix
