#include "export/media_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "export/ffmpeg_error.h"

namespace tavrix {

namespace {

// "<dir>/.<name>.XXXXXX" beside the final path, so the rename stays on one file system.
std::string TemporaryPattern(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return (directory.empty() ? std::string("/") : directory + "/") + "." + name + ".XXXXXX";
}

// mkstemp makes the file private; an export is an ordinary file for its user.
void GiveOrdinaryPermissions(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

}  // namespace

MediaFile::~MediaFile() { Abandon(); }

bool MediaFile::Create(const std::string& path, Container container, std::string& error) {
  Abandon();
  struct stat existing {};
  if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error = "cannot write " + path + ": not a regular file";
    return false;
  }
  std::string pattern = TemporaryPattern(path);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  GiveOrdinaryPermissions(fd);
  close(fd);
  temporaryPath_ = name.data();
  path_ = path;
  container_ = container;

  int result = avformat_alloc_output_context2(&context_, nullptr, MuxerName(container), nullptr);
  // Sound may be missing or late; hold packets back for at most a second
  // so that memory stays bounded and write errors surface early.
  if (result >= 0) context_->max_interleave_delta = AV_TIME_BASE;
  if (result >= 0) result = avio_open(&context_->pb, ("file:" + temporaryPath_).c_str(), AVIO_FLAG_WRITE);
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
    error = "cannot write " + path_ + ": " + FfmpegErrorText(result);
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
    error = "cannot write " + path_ + ": " + FfmpegErrorText(result);
    Abandon();
    return false;
  }
  if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    error = "cannot rename the export to " + path_ + ": " + std::strerror(errno);
    Abandon();
    return false;
  }
  temporaryPath_.clear();
  CloseOutput();
  return true;
}

void MediaFile::Abandon() {
  CloseOutput();
  if (!temporaryPath_.empty()) {
    unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
}

void MediaFile::CloseOutput() {
  if (!context_) return;
  if (context_->pb) avio_closep(&context_->pb);
  avformat_free_context(context_);
  context_ = nullptr;
}

}  // namespace tavrix
