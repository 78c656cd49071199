#include "storage/vvf_reader.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "storage/block_time.h"
#include "storage/start_code_search.h"

namespace tavrix {
namespace {

constexpr std::uint64_t kBlockMask = ~static_cast<std::uint64_t>(kVvfBlockSize - 1);

std::uint64_t BlockStart(std::uint64_t offset) { return offset & kBlockMask; }
std::size_t InBlock(std::uint64_t offset) { return static_cast<std::size_t>(offset % kVvfBlockSize); }

// Moves back over `count` stream bytes from `offset` (the offset just after
// the last of them), stepping over block headers.
std::uint64_t RetreatStream(std::uint64_t offset, int count) {
  const auto steps = static_cast<std::size_t>(count);
  if (InBlock(offset) >= kVvfHeaderSize + steps) return offset - steps;  // no header on the way
  for (int i = 0; i < count; ++i) {
    --offset;
    if (InBlock(offset) < kVvfHeaderSize) {
      const std::uint64_t start = BlockStart(offset);
      offset = start == 0 ? kVvfHeaderSize : start - 1;
    }
  }
  return offset;
}

// Moves forward over `count` stream bytes from the stream byte at `offset`;
// the result is the offset just after the last of them.
std::uint64_t AdvanceStream(std::uint64_t offset, int count) {
  for (int i = 0; i < count; ++i) {
    ++offset;
    if (InBlock(offset) == 0 && i + 1 < count) offset += kVvfHeaderSize;
  }
  return offset;
}

bool IsForwardStartCode(std::uint32_t window) {
  return (window >> 8) == 0x000001 && IsFrameCode(static_cast<std::uint8_t>(window));
}

// A backward scan meets the start code's bytes last-first: C, 01, 00, 00.
bool IsBackwardStartCode(std::uint32_t window) {
  return (window & 0x00FFFFFF) == 0x010000 && IsFrameCode(static_cast<std::uint8_t>(window >> 24));
}

// What a walk without copies keeps of each frame: its start code and the
// byte that holds a picture's channel.
constexpr std::size_t kFrameHeadBytes = 5;

std::string ErrorLine(const std::string& path, const char* what) { return path + ": " + what; }

}  // namespace

VvfReader::VvfReader()
    : timeBias_(StandardTimeBias()),
      frameBuffer_(std::make_unique<std::uint8_t[]>(kMaxFrameBytes)) {
  frameBuffer_[2] = 0x01;
}

VvfReader::~VvfReader() { Close(); }

bool VvfReader::Open(const std::string& path, bool isDisk) {
  Close();
  lastError_.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    lastError_ = ErrorLine(path, std::strerror(errno));
    return false;
  }
  struct stat status {};
  std::uint64_t size = 0;
  if (fstat(fd, &status) != 0) {
    lastError_ = ErrorLine(path, std::strerror(errno));
  } else if (S_ISREG(status.st_mode)) {
    size = static_cast<std::uint64_t>(status.st_size);
  } else if (S_ISBLK(status.st_mode)) {
    if (ioctl(fd, BLKGETSIZE64, &size) != 0) lastError_ = ErrorLine(path, "Open Error: the disk size cannot be read");
  } else if (S_ISDIR(status.st_mode)) {
    lastError_ = ErrorLine(path, "is a directory");
  } else {
    lastError_ = ErrorLine(path, "is neither a file nor a disk");
  }
  if (!lastError_.empty()) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  cache_.Reset(fd, isDisk);
  sourceName_ = path;
  size_ = size;
  position_ = 0;
  lastBackward_ = false;
  RestartScan();
  info_ = FrameInfo{};
  return true;
}

void VvfReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  cache_.Reset(-1, false);
  blockLoaded_ = false;
  size_ = 0;
  position_ = 0;
  seekTarget_ = 0;
  sourceName_.clear();
}

bool VvfReader::IsOpen() const { return fd_ >= 0; }

void VvfReader::SetFormatVariant(FormatVariant variant) {
  bigEndian_ = UsesBigEndianHeaders(variant);
  blockLoaded_ = false;
}

void VvfReader::SetTimeBias(std::int32_t biasSeconds) {
  timeBias_ = biasSeconds;
  blockLoaded_ = false;
}

void VvfReader::SetBlockObserver(BlockObserver observer) { blockObserver_ = std::move(observer); }

void VvfReader::Seek(std::uint64_t position) {
  if (position >= size_) return;
  position_ = position;
  RestartScan();
}

bool VvfReader::SetSeekTarget(std::uint64_t position) {
  if (size_ == 0 || position >= size_) return false;
  seekTarget_ = position;
  return true;
}

bool VvfReader::GetBlockTime(CalendarTime& out) const {
  const CalendarTime& time = info_.time;
  if (fd_ < 0 || time.year < 1900 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
      time.hour > 23 || time.minute > 59 || time.second > 59) {
    return false;
  }
  out = time;
  return true;
}

void VvfReader::RestartScan() {
  // Bytes scanned elsewhere, or in the other direction, are no neighbours of
  // the bytes scanned next and never complete a start code with them.
  ResetGathering();
  window_ = 0xFFFFFFFF;
}

void VvfReader::ResetGathering() {
  // The window keeps the bytes last scanned: a start code whose first bytes
  // lie before a damaged block is still completed by the bytes after it.
  collecting_ = false;
  collected_ = 0;
}

VvfReader::BlockRead VvfReader::ReadBlock(std::uint64_t offset) {
  // A frame shorter than a block is read many times from the same block.
  if (blockLoaded_ && offset == blockOffset_) return BlockRead::kOk;
  blockLoaded_ = false;
  const std::uint8_t* block = cache_.Block(offset);
  if (block == nullptr) return BlockRead::kShort;
  VvfBlockHeader header;
  const bool valid = DecodeBlockHeader(block, bigEndian_, header);
  if (blockObserver_) blockObserver_(offset, header, valid);
  // Interval and channel mask are taken before the check; only the time
  // waits for a block that passes it.
  info_.interval = header.frameInterval;
  info_.blockChannelMask = header.channelMask;
  if (!valid) return BlockRead::kRejected;
  info_.time = BlockTimeToLocal(header.blockTime, timeBias_);
  block_ = block;
  blockOffset_ = offset;
  blockLoaded_ = true;
  return BlockRead::kOk;
}

void VvfReader::Gather(const std::uint8_t* bytes, std::size_t count) {
  const std::size_t kept = std::min(count, kMaxFrameBytes - collected_);
  if (collected_ < storeLimit_) {
    std::memcpy(frameBuffer_.get() + collected_, bytes, std::min(kept, storeLimit_ - collected_));
  }
  collected_ += kept;
}

void VvfReader::StartGathering(std::size_t codeEnd) {
  collecting_ = true;
  collected_ = 4;
  frameBuffer_[0] = 0x00;
  frameBuffer_[1] = 0x00;
  frameBuffer_[2] = 0x01;
  frameBuffer_[3] = block_[codeEnd];
  gatherStart_ = RetreatStream(blockOffset_ + codeEnd + 1, 4);
}

std::size_t VvfReader::ScanForward(std::size_t from) {
  const std::uint8_t* bytes = block_;
  // A start code that ends in the first bytes may have begun before them (in
  // the window): those are taken one at a time. The fourth is among them as
  // a forward read starts on the first byte of a start code.
  const std::size_t head = std::min(from + 4, kVvfBlockSize);
  for (std::size_t i = from; i < head; ++i) {
    window_ = window_ << 8 | bytes[i];
    if (collecting_) Gather(bytes + i, 1);
    if (IsForwardStartCode(window_)) {
      if (collecting_) return i;
      StartGathering(i);
    }
  }
  // Every later start code lies wholly in this block.
  std::size_t taken = head;  // bytes before this index are gathered
  for (std::size_t code = findStartCode_(bytes, head - 3, kVvfBlockSize); code < kVvfBlockSize;
       code = findStartCode_(bytes, code + 4, kVvfBlockSize)) {
    const std::size_t codeEnd = code + 3;
    window_ = 0x00000100u | bytes[codeEnd];
    if (collecting_) {
      Gather(bytes + taken, codeEnd + 1 - taken);
      return codeEnd;
    }
    StartGathering(codeEnd);
    taken = codeEnd + 1;
  }
  if (collecting_) Gather(bytes + taken, kVvfBlockSize - taken);
  if (kVvfBlockSize - from >= 4) {
    const std::uint8_t* last = bytes + kVvfBlockSize - 4;
    window_ = static_cast<std::uint32_t>(last[0]) << 24 | static_cast<std::uint32_t>(last[1]) << 16 |
              static_cast<std::uint32_t>(last[2]) << 8 | last[3];
  }
  return kVvfBlockSize;
}

bool VvfReader::EnterBlockForward(std::uint64_t start) {
  switch (ReadBlock(start)) {
    case BlockRead::kShort:
      ResetGathering();
      return false;
    case BlockRead::kRejected:
      position_ = start + kVvfBlockSize;  // the next call goes on after it
      ResetGathering();
      return false;
    case BlockRead::kOk:
      break;
  }
  return true;
}

VvfReader::ForwardResult VvfReader::ReadForward(std::uint8_t* buffer) {
  if (fd_ < 0) return {};
  if (lastBackward_) {
    lastBackward_ = false;
    RestartScan();
  }
  // A frame is gathered within one call, so the choice holds for all of it.
  storeLimit_ = buffer != nullptr ? kMaxFrameBytes : kFrameHeadBytes;
  std::uint64_t start = BlockStart(position_);
  if (!EnterBlockForward(start)) return {};
  std::size_t index = std::max(InBlock(position_), kVvfHeaderSize);
  for (;;) {
    const std::size_t end = ScanForward(index);
    if (end < kVvfBlockSize) return DeliverForward(buffer, start + end);
    start += kVvfBlockSize;
    position_ = start;
    if (!EnterBlockForward(start)) return {};
    index = kVvfHeaderSize;
  }
}

VvfReader::ForwardResult VvfReader::DeliverForward(std::uint8_t* buffer, std::uint64_t codeEnd) {
  const std::uint8_t code = frameBuffer_[3];
  const std::uint8_t* frame = frameBuffer_.get();
  std::size_t length = 0;
  bool audio = IsAudioCode(code);
  if (audio) {
    // Without room for its header the audio frame has no samples to deliver.
    if (collected_ >= kAudioFrameHeaderSize + 4) {
      frame += kAudioFrameHeaderSize;
      length = collected_ - kAudioFrameHeaderSize - 4;
    }
  } else {
    length = collected_ - 4;
  }
  if (length > 0) {
    if (buffer != nullptr) std::memcpy(buffer, frame, length);
    frameCode_ = code;
    info_.audio = audio;
    info_.channel = audio ? code - kFirstAudioCode : frameBuffer_[4] & 0x0F;
    info_.length = static_cast<std::uint32_t>(length);
    frameOffset_ = gatherStart_;
  }
  frameBuffer_[3] = static_cast<std::uint8_t>(window_);
  position_ = RetreatStream(codeEnd + 1, 4);
  collecting_ = false;
  return {static_cast<std::uint32_t>(length), true};
}

std::uint32_t VvfReader::ReadNext(std::uint8_t* buffer) { return ReadForward(buffer).length; }

std::uint32_t VvfReader::SkipNext() { return ReadForward(nullptr).length; }

std::uint32_t VvfReader::ReadPrev(std::uint8_t* buffer) {
  if (fd_ < 0) return 0;
  if (!lastBackward_) {
    lastBackward_ = true;
    RestartScan();
  }
  if (position_ == 0) return 0;
  --position_;
  std::uint64_t start = BlockStart(position_);
  switch (ReadBlock(start)) {
    case BlockRead::kShort:
    case BlockRead::kRejected:
      position_ = start;
      ResetGathering();
      return 0;
    case BlockRead::kOk:
      break;
  }
  for (;;) {
    if (InBlock(position_) < kVvfHeaderSize) {
      if (start == 0) {
        // Start of the source: the frame gathered so far is kept.
        position_ = 0;
        return 0;
      }
      start -= kVvfBlockSize;
      position_ = start + kVvfBlockSize - 1;
      const BlockRead read = ReadBlock(start);
      if (read != BlockRead::kOk) {
        if (read == BlockRead::kRejected) position_ = start;
        ResetGathering();
        return 0;
      }
    }
    const std::uint8_t byte = block_[InBlock(position_)];
    window_ = window_ << 8 | byte;
    if (collecting_ && collected_ < kMaxFrameBytes) frameBuffer_[kMaxFrameBytes - 1 - collected_++] = byte;
    if (IsBackwardStartCode(window_)) {
      if (collecting_) return DeliverBackward(buffer);
      collecting_ = true;
      collected_ = 0;
    }
    --position_;
  }
}

std::uint32_t VvfReader::DeliverBackward(std::uint8_t* buffer) {
  const auto code = static_cast<std::uint8_t>(window_ >> 24);
  const std::uint8_t* frame = frameBuffer_.get() + kMaxFrameBytes - collected_;
  std::size_t length = 0;
  const bool audio = IsAudioCode(code);
  if (audio) {
    if (collected_ > kAudioFrameHeaderSize) {
      frame += kAudioFrameHeaderSize;
      length = collected_ - kAudioFrameHeaderSize;
    }
  } else {
    length = collected_;
  }
  if (length > 0) {
    std::memcpy(buffer, frame, length);
    frameCode_ = code;
    // Backward play skips audio, so an audio frame leaves the channel as it was.
    info_.audio = audio;
    if (!audio) info_.channel = collected_ > 4 ? frame[4] & 0x0F : 0;
    info_.length = static_cast<std::uint32_t>(length);
    frameOffset_ = position_;
  }
  position_ = AdvanceStream(position_, 4);
  collecting_ = false;
  return static_cast<std::uint32_t>(length);
}

std::uint32_t VvfReader::ReadAtTarget(std::uint8_t* buffer) {
  lastBackward_ = false;
  RestartScan();
  if (size_ == 0 || seekTarget_ >= size_ - 1) return 0;
  position_ = BlockStart(seekTarget_);
  for (;;) {
    const ForwardResult result = ReadForward(buffer);
    if (result.length > 0 && !info_.audio) return result.length;
    // Audio frames on the way are passed over, even ones with no samples.
    if (result.length == 0 && !result.frameEnded) return 0;
  }
}

}  // namespace tavrix
