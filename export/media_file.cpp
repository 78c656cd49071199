#include "export/media_file.h"

#include "export/ffmpeg_error.h"

namespace tavrix {

MediaFile::~MediaFile() { Abandon(); }

bool MediaFile::Create(const std::string& path, Container container, std::string& error) {
  Abandon();
  if (!file_.Open(path)) {
    error = file_.error();
    return false;
  }
  container_ = container;

  int result = avformat_alloc_output_context2(&context_, nullptr, MuxerName(container), nullptr);
  // Sound may be missing or late; hold packets back for at most a second
  // so that memory stays bounded and write errors surface early.
  if (result >= 0) context_->max_interleave_delta = AV_TIME_BASE;
  if (result >= 0) result = avio_open(&context_->pb, ("file:" + file_.temporaryPath()).c_str(), AVIO_FLAG_WRITE);
  if (result < 0) {
    error = "cannot create " + path + ": " + FfmpegErrorText(result);
    Abandon();
    return false;
  }
  return true;
}

AVStream* MediaFile::AddStream() { return context_ ? avformat_new_stream(context_, nullptr) : nullptr; }

bool MediaFile::Accepts(AVCodecID codec) const {
  return context_ && avformat_query_codec(context_->oformat, codec, FF_COMPLIANCE_NORMAL) == 1;
}

bool MediaFile::WriteHeader(std::string& error) {
  const int result = avformat_write_header(context_, nullptr);
  if (result < 0) {
    error = "the container refused the streams: " + FfmpegErrorText(result);
    return false;
  }
  return true;
}

bool MediaFile::WritePacket(AVPacket* packet, AVStream* stream, AVRational timeBase, std::string& error) {
  av_packet_rescale_ts(packet, timeBase, stream->time_base);
  packet->stream_index = stream->index;
  int result = av_interleaved_write_frame(context_, packet);
  if (result >= 0 && context_->pb->error < 0) result = context_->pb->error;
  if (result < 0) {
    error = "cannot write " + file_.target() + ": " + FfmpegErrorText(result);
    return false;
  }
  return true;
}

bool MediaFile::Finish(std::string& error) {
  if (!context_) return false;
  int result = av_write_trailer(context_);
  if (result >= 0) {
    avio_flush(context_->pb);
    if (context_->pb->error < 0) result = context_->pb->error;
  }
  if (result >= 0) result = avio_closep(&context_->pb);
  if (result < 0) {
    error = "cannot write " + file_.target() + ": " + FfmpegErrorText(result);
    Abandon();
    return false;
  }
  CloseOutput();
  if (!file_.Commit()) {
    error = file_.error();
    return false;
  }
  return true;
}

void MediaFile::Abandon() {
  CloseOutput();
  file_.Abandon();
}

void MediaFile::CloseOutput() {
  if (!context_) return;
  if (context_->pb) avio_closep(&context_->pb);
  avformat_free_context(context_);
  context_ = nullptr;
}

}  // namespace tavrix
