#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "export/export_status.h"
#include "export/ffmpeg_handles.h"
#include "export/media_file.h"
#include "media/audio_format.h"

namespace tavrix {

// The sound stream of an export: the recording's audio payloads as stored
// (A-law stays A-law, format tag 6 in AVI), or, in MP4 which cannot hold
// G.711 or 8-bit PCM, decoded and encoded as AAC.
class AudioTrack {
 public:
  // Adds the stream for samples of the recorder's audio format at
  // sampleRate. kExportOk, or the status that says what failed.
  int Open(MediaFile& file, AudioFormat audioFormat, int sampleRate, std::string& error);
  // Bytes per sample frame of what is written.
  int blockAlign() const { return blockAlign_; }
  // Writes `length` payload bytes whose first sample is number `position`.
  bool Write(MediaFile& file, const std::uint8_t* data, int length, std::int64_t position, std::string& error);
  // Encodes what the AAC encoder still holds.
  bool Flush(MediaFile& file, std::string& error);
  void Close();

 private:
  bool WritePiece(MediaFile& file, const std::uint8_t* data, int length, std::int64_t position, std::string& error);
  int OpenTranscoder(MediaFile& file, AVCodecID stored, int sampleRate, std::string& error);
  bool Transcode(MediaFile& file, std::string& error);
  bool EncodeFromFifo(MediaFile& file, int samples, std::string& error);
  bool DrainEncoder(MediaFile& file, std::string& error);

  AVStream* stream_ = nullptr;
  int blockAlign_ = 1;
  bool flipSignBit_ = false;
  PacketPtr packet_;
  std::vector<std::uint8_t> flipped_;
  // Transcoding only.
  CodecContextPtr decoder_;
  CodecContextPtr encoder_;
  AudioFifoPtr fifo_;
  FramePtr decoded_;
  FramePtr encoded_;
  std::vector<float> samples_;
  std::int64_t encodedPosition_ = 0;
};

}  // namespace tavrix
