#pragma once
#include <string>

#include "export/container.h"
#include "platform/atomic_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tavrix {

// An output file being written through libavformat. The muxer writes the
// temporary file of an AtomicFile, which Finish commits, so a failed or
// abandoned export never leaves a half-written file under the user's name
// and never damages a file that was already there.
class MediaFile {
 public:
  MediaFile() = default;
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;
  ~MediaFile();

  // Creates the temporary file and the muxer. False with `error` set.
  bool Create(const std::string& path, Container container, std::string& error);
  bool IsOpen() const { return context_ != nullptr; }
  Container container() const { return container_; }
  AVFormatContext* context() { return context_; }

  // A new stream; nullptr when libavformat cannot make one.
  AVStream* AddStream();
  // Whether the container can hold this codec at all.
  bool Accepts(AVCodecID codec) const;
  bool WriteHeader(std::string& error);
  // Writes one packet whose timestamps are in `timeBase`; it becomes the
  // stream's. False (with `error`) when the file cannot be written.
  bool WritePacket(AVPacket* packet, AVStream* stream, AVRational timeBase, std::string& error);
  // Writes the index and trailer and gives the file its final name.
  bool Finish(std::string& error);
  // Closes and deletes the temporary file; the final name is never touched.
  void Abandon();

 private:
  void CloseOutput();

  AVFormatContext* context_ = nullptr;
  Container container_ = Container::kAvi;
  AtomicFile file_;
};

}  // namespace tavrix
