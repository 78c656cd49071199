#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "export/encoder_choice.h"
#include "export/export_status.h"
#include "export/ffmpeg_handles.h"
#include "export/media_file.h"

namespace tavrix {

// The video stream of an export: bottom-up 24-bit BGR pictures converted to
// the encoder's pixel format and encoded, every frame a key frame.
class VideoTrack {
 public:
  // Adds the stream and starts the encoder. kExportOk, or the status that
  // says what failed, with `error` set.
  int Open(MediaFile& file, const EncoderSettings& settings, int width, int height, int frameRate,
           std::string& error);
  // Encodes picture number `index` (width x height x 3 bytes, bottom row first).
  bool Write(MediaFile& file, const std::uint8_t* picture, std::int64_t index, bool keyFrame, std::string& error);
  // Drains the encoder's delayed packets.
  bool Flush(MediaFile& file, std::string& error);
  void Close();

 private:
  bool Send(MediaFile& file, const AVFrame* frame, std::string& error);

  CodecContextPtr encoder_;
  ScalerPtr scaler_;
  FramePtr frame_;
  PacketPtr packet_;
  // The picture being converted, with room after it: the converters read a
  // little past the end of a row, and a caller's picture may end where its
  // memory does.
  std::vector<std::uint8_t> source_;
  AVStream* stream_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace tavrix
