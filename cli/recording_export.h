#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "cli/frame_bound.h"
#include "export/encoder_choice.h"

namespace tavrix {

// What to export from a recording and how.
struct RecordingExportOptions {
  static constexpr int kRecorderChannels = 4;

  std::string source;
  bool disk = false;
  std::string out;
  std::uint32_t channels = 0x0F;  // bit n: channel n, captioned CH<n+1>
  int split = 4;                  // 1 or 4 tiles
  int page = 0;                   // with split 1: the channel shown
  cli::FrameBound from;  // byte offset or block time; both unset: no bound
  cli::FrameBound to;
  EncoderSettings encoder;
  int audioChannel = 0;
};

struct RecordingExportResult {
  bool ok = false;
  std::string error;  // one line when !ok
  int frames = 0;
  int frameRate = 0;
  std::int64_t audioSamples = 0;
  int damagedBlocks = 0;
  int undecodedPictures = 0;
  bool truncated = false;  // the source ends inside a block
};

// Reads a recording once, decodes the chosen channels (one reference picture
// each), composes their pictures into frames as the viewer's AVI capture does
// and writes them with the recording's sound. A damaged or truncated
// recording gives what could be decoded, with the damage counted.
class RecordingExport {
 public:
  // Called now and then with the bytes read so far, the source size and the
  // frames written.
  using Progress = std::function<void(std::uint64_t done, std::uint64_t total, int frames)>;

  static RecordingExportResult Run(const RecordingExportOptions& options, const Progress& progress = {});
};

}  // namespace tavrix
