#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "export/encoder_choice.h"
#include "media/frame_bound.h"
#include "platform/cancel_token.h"

namespace tavrix {

// What to export from a recording and how.
struct ExportJobOptions {
  static constexpr int kRecorderChannels = 4;

  std::string source;  // a VVF file, or with `disk` a DVR disk or its image
  bool disk = false;
  std::string out;                // the container follows the name: .avi, .mp4 or .mkv
  std::uint32_t channels = 0x0F;  // bit n: channel n, captioned CH<n+1>
  int layout = 4;                 // 4 tiles, or 1: the one chosen channel fills the frame
  EncoderSettings encoder;
  int audioChannel = 0;  // 0 to 3
  FrameBound from;       // frames before it or after `to` are left out
  FrameBound to;
};

struct ExportProgress {
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesTotal = 0;  // the size of the source
  int framesWritten = 0;
};

enum class ExportOutcome {
  kDone,
  kCancelled,
  kInvalidOptions,   // the options contradict each other or are out of range
  kSourceFailed,     // the recording could not be opened
  kNoRecording,      // the source holds no VVF block (a disk read as a file, say)
  kNothingToExport,  // no picture of the chosen channels within the bounds
  kOutputFailed,     // the output file could not be made or written
};

struct ExportJobResult {
  ExportOutcome outcome = ExportOutcome::kOutputFailed;
  std::string error;  // one line unless the outcome is kDone
  int frames = 0;
  int frameRate = 0;
  std::int64_t audioSamples = 0;
  int damagedBlocks = 0;
  int undecodedPictures = 0;
  bool truncated = false;  // the source ends inside a block

  bool ok() const { return outcome == ExportOutcome::kDone; }
};

// Reads a recording once, decodes the chosen channels (one reference picture
// each), composes their pictures into frames as the viewer's AVI capture does
// and writes them with the sound of one audio channel. A damaged or truncated
// recording gives what could be decoded, with the damage counted. Only a
// complete export is put in place under the output name; a failed or
// cancelled one leaves no file and an earlier file under that name untouched.
class ExportJob {
 public:
  using ProgressCallback = std::function<void(const ExportProgress& progress)>;
  static constexpr std::chrono::milliseconds kProgressInterval{250};

  explicit ExportJob(ExportJobOptions options);

  // Called on the thread that runs the job, at most once per interval while
  // it reads, and once more with every byte read when the export succeeds.
  // The figures never go down.
  void SetProgressCallback(ProgressCallback callback, std::chrono::milliseconds interval = kProgressInterval);

  // Runs the whole export on the calling thread. A cancel, from any thread,
  // is seen before the next frame is read; the outcome is then kCancelled.
  ExportJobResult Run(const CancelToken& cancel) const;
  ExportJobResult Run() const;

  const ExportJobOptions& options() const { return options_; }

 private:
  ExportJobOptions options_;
  ProgressCallback progress_;
  std::chrono::milliseconds progressInterval_ = kProgressInterval;
};

}  // namespace tavrix
