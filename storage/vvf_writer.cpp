#include "storage/vvf_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tavrix {
namespace {

constexpr std::uint8_t kAudioFrameHeader[kAudioFrameHeaderSize] = {0x00, 0x00, 0x01, kFirstAudioCode, 0x00, 0x00};
constexpr int kMaxFrameInterval = 0x7F;

bool StoresConvertedLayout(FormatVariant variant) {
  switch (variant) {
    case FormatVariant::QM_QM9:
    case FormatVariant::QM_QMT:
    case FormatVariant::QM_QMT2:
    case FormatVariant::QM_QMT3:
    case FormatVariant::QM_QMC:
      return true;
    case FormatVariant::QM_QM4:
    case FormatVariant::QM_QMN:
      return false;
  }
  return false;
}

// Header of a block in the date-stamped layout: the local time of the call.
void EncodeDateStampedHeader(std::time_t now, int frameInterval, bool audio, std::uint8_t* out) {
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) {
    out[0] = static_cast<std::uint8_t>((local.tm_year + 1900 + 48) % 256);
    out[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    out[2] = static_cast<std::uint8_t>(local.tm_mday);
    out[3] = static_cast<std::uint8_t>(local.tm_hour);
    out[4] = static_cast<std::uint8_t>(local.tm_min);
    out[5] = static_cast<std::uint8_t>(local.tm_sec);
  } else {
    const std::uint8_t unknown[6] = {0x30, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    std::memcpy(out, unknown, sizeof unknown);
  }
  if (audio) out[1] |= 0x80;
  out[6] = static_cast<std::uint8_t>(frameInterval & 0x7F);
  out[7] = 1;
}

}  // namespace

VvfWriter::VvfWriter()
    : clock_([] { return std::time(nullptr); }),
      blocks_([this](const std::uint8_t* bytes, std::size_t length) { return WriteOut(bytes, length); }),
      videoStage_{std::make_unique<std::uint8_t[]>(kMaxFrameBytes), kMaxFrameBytes, 0},
      audioStage_{std::make_unique<std::uint8_t[]>(kAudioStageSize), kAudioStageSize, 0} {}

VvfWriter::~VvfWriter() { Stop(); }

void VvfWriter::Init(int /*inputLayout*/, FormatVariant variant, int splitCount) {
  std::lock_guard lock(mutex_);
  variant_ = variant;
  splitCount_ = splitCount;
  blocks_.SetBigEndian(UsesBigEndianHeaders(variant));
}

void VvfWriter::SetClock(Clock clock) {
  std::lock_guard lock(mutex_);
  clock_ = std::move(clock);
}

bool VvfWriter::Start(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    lastError_ = path + ": " + std::strerror(errno);
    return false;
  }
  fd_ = fd;
  lastError_.clear();
  started_ = false;
  fileBytes_ = 0;
  blocks_.Restart();
  videoStage_.fill = 0;
  audioStage_.fill = 0;
  return true;
}

bool VvfWriter::Stop() {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return false;
  // The date-stamped layout drops staged bytes that do not fill a block.
  if (variant_ != FormatVariant::QM_QM4 && !blocks_.Finish()) return false;
  if (::close(fd_) != 0) {
    fd_ = -1;
    lastError_ = std::string("closing the recording failed: ") + std::strerror(errno);
    return false;
  }
  fd_ = -1;
  return true;
}

bool VvfWriter::IsRecording() const {
  std::lock_guard lock(mutex_);
  return fd_ >= 0;
}

std::string VvfWriter::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

int VvfWriter::FrameInterval() const {
  std::lock_guard lock(mutex_);
  return frameInterval_;
}

VvfBlockHeader VvfWriter::CallHeader(std::time_t now) const {
  VvfBlockHeader header;
  header.blockTime = static_cast<std::uint32_t>(static_cast<std::uint64_t>(now));
  header.channelMask = 1;
  header.frameInterval = static_cast<std::uint8_t>(frameInterval_ & 0x7F);
  return header;
}

void VvfWriter::UpdateFrameInterval(const std::uint8_t* frame) {
  previousNumber_ = currentNumber_;
  currentNumber_ = static_cast<std::uint16_t>(frame[5] << 8 | frame[6]);
  // A number that goes backwards is a wrap or a restarted stream, not a long
  // pause; and the interval must fit the header's seven bits.
  if (currentNumber_ <= previousNumber_) {
    frameInterval_ = 1;
  } else {
    frameInterval_ = std::clamp(currentNumber_ - previousNumber_, 1, kMaxFrameInterval);
  }
}

void VvfWriter::ConvertLayout(std::uint8_t* frame) const {
  if (StoresConvertedLayout(variant_)) {
    // The network layout keeps the quantiser scale in bits 3-6 and flags full
    // pictures in bit 7; the stored layout has the scale in bits 4-7.
    if (frame[4] & 0x80) frame[3] = kFullPictureCode;
    frame[4] = static_cast<std::uint8_t>(frame[4] << 1);
  }
  if (splitCount_ == 16) {
    frame[4] &= 0xF0;
    frame[5] &= 0x07;
  }
}

bool VvfWriter::WriteVideo(std::uint8_t* frame, std::size_t length) {
  std::lock_guard lock(mutex_);
  const std::time_t now = clock_();
  if (fd_ < 0 || frame == nullptr || length < 7) return false;
  if (frame[4] & 0x80) started_ = true;
  UpdateFrameInterval(frame);
  ConvertLayout(frame);
  if (!started_) return false;
  if (variant_ == FormatVariant::QM_QM4) return StageDateStamped(videoStage_, frame, length, now, false);
  blocks_.SetHeader(CallHeader(now));
  return blocks_.Append(frame, length);
}

bool VvfWriter::WriteAudio(const std::uint8_t* payload, std::size_t length) {
  std::lock_guard lock(mutex_);
  const std::time_t now = clock_();
  if (fd_ < 0 || !started_ || (payload == nullptr && length > 0)) return false;
  if (variant_ == FormatVariant::QM_QM4) return StageDateStamped(audioStage_, payload, length, now, true);
  blocks_.SetHeader(CallHeader(now));
  return blocks_.Append(kAudioFrameHeader, sizeof kAudioFrameHeader) && blocks_.Append(payload, length);
}

bool VvfWriter::StageDateStamped(Stage& stage, const std::uint8_t* bytes, std::size_t length, std::time_t now,
                                 bool audio) {
  if (length > stage.capacity - stage.fill) return false;
  if (length > 0) std::memcpy(stage.bytes.get() + stage.fill, bytes, length);
  stage.fill += length;
  while (stage.fill >= kVvfPayloadSize) {
    std::uint8_t header[kVvfHeaderSize];
    EncodeDateStampedHeader(now, frameInterval_, audio, header);
    if (!WriteOut(header, sizeof header) || !WriteOut(stage.bytes.get(), kVvfPayloadSize)) return false;
    stage.fill -= kVvfPayloadSize;
    std::memmove(stage.bytes.get(), stage.bytes.get() + kVvfPayloadSize, stage.fill);
  }
  return true;
}

bool VvfWriter::WriteOut(const std::uint8_t* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd_, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    fileBytes_ += static_cast<std::uint64_t>(n);
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool VvfWriter::Fail(int error) {
  lastError_ = std::string("writing the recording failed: ") + std::strerror(error) +
               "; the recording was stopped";
  // A cut block would leave a damaged tail; keep only whole blocks.
  const std::uint64_t whole = fileBytes_ - fileBytes_ % kVvfBlockSize;
  if (ftruncate(fd_, static_cast<off_t>(whole)) != 0 && errno != EINVAL) {
    lastError_ += " (its last block may be incomplete)";
  }
  ::close(fd_);
  fd_ = -1;
  return false;
}

}  // namespace tavrix
