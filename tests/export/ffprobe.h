#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix::test {

// What ffprobe (run as a subprocess) finds in a media file.
struct ProbedStream {
  std::string type;   // "video" or "audio"
  std::string codec;  // ffprobe's codec_name
  int width = 0;
  int height = 0;
  std::int64_t frames = 0;  // decoded frames (-count_frames)
  double duration = 0;      // seconds
  std::string codecTag;     // e.g. "0x0006"
  int sampleRate = 0;
};

struct ProbedFile {
  bool ok = false;  // ffprobe ran and parsed the file
  std::string error;
  std::vector<ProbedStream> streams;

  const ProbedStream* First(const std::string& type) const;
};

ProbedFile Probe(const std::string& path);
// Sum of the samples of every decoded frame of the first audio stream.
std::int64_t ProbeAudioSamples(const std::string& path);
// Whether every packet of the first video stream is marked as a key frame.
bool AllVideoPacketsAreKeyFrames(const std::string& path);
// The frames of the first video stream decoded by the ffmpeg tool as rows of
// B, G, R bytes, top row first.
std::vector<std::uint8_t> DecodeVideoBgr24(const std::string& path);

}  // namespace tavrix::test
