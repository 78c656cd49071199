// libFuzzer target for the VVF reader: arbitrary bytes as a recording, read
// as a file or as a word-swapped disk, forwards to the end, backwards to the
// start, then after seeks. Besides crashes it stops when the reader reports a
// block it did not read, delivers a frame that is not what the source holds
// at the frame's offset, loses its position or stops making progress.
//
// Input: 16 bytes of settings, then the source.
//   byte 0     bit 0 disk mode, bits 1-3 format variant, bits 4-7 time zone
//   bytes 1-15 five operations of three bytes: kind, then a position in the
//              source as a 16-bit fraction of its size
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "storage/header_check.h"
#include "storage/vvf_block.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace {

using tavrix::kMaxFrameBytes;
using tavrix::kVvfBlockSize;
using tavrix::kVvfHeaderSize;

constexpr std::size_t kSettingsSize = 16;
constexpr int kOperations = 5;
constexpr int kReadsPerOperation = 8;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "vvf_reader_fuzzer: %s\n", what);
  std::abort();
}

// The source lives in memory: a memfd the reader opens by its /proc path,
// rewritten for every input.
class MemorySource {
 public:
  MemorySource() : fd_(memfd_create("vvf_reader_fuzzer", MFD_CLOEXEC)) {
    Require(fd_ >= 0, "memfd_create failed");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  void Fill(const std::uint8_t* bytes, std::size_t size) {
    Require(ftruncate(fd_, 0) == 0, "ftruncate failed");
    Require(size == 0 || pwrite(fd_, bytes, size, 0) == static_cast<ssize_t>(size), "pwrite failed");
  }
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

// The source as the reader sees it: whole blocks only, word-swapped on disks.
class StreamView {
 public:
  StreamView(const std::uint8_t* bytes, std::size_t size, bool isDisk)
      : bytes_(bytes, bytes + size / kVvfBlockSize * kVvfBlockSize), size_(size) {
    if (isDisk) tavrix::SwapWordBytes(bytes_.data(), bytes_.size());
  }

  std::uint64_t size() const { return size_; }
  std::uint64_t wholeBlocks() const { return bytes_.size(); }
  const std::uint8_t* block(std::uint64_t offset) const { return bytes_.data() + offset; }

  struct Span {
    std::vector<std::uint8_t> bytes;
    bool damaged = false;  // a block it touches fails its check
  };

  // Up to `length` payload bytes from `offset` on, stepping over block
  // headers; fewer where the whole blocks end.
  Span Read(std::uint64_t offset, std::size_t length) const {
    Span span;
    while (span.bytes.size() < length) {
      if (offset % kVvfBlockSize < kVvfHeaderSize) offset += kVvfHeaderSize - offset % kVvfBlockSize;
      if (offset >= bytes_.size()) break;
      const std::uint8_t* header = block(offset / kVvfBlockSize * kVvfBlockSize);
      span.damaged = span.damaged || tavrix::HeaderCheck(header, 7) != header[7];
      span.bytes.push_back(bytes_[offset++]);
    }
    return span;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t size_;
};

class ReaderCheck {
 public:
  ReaderCheck(tavrix::VvfReader& reader, const StreamView& view) : reader_(reader), view_(view) {}

  void ObserveBlocks() {
    reader_.SetBlockObserver([this](std::uint64_t offset, const tavrix::VvfBlockHeader& header, bool valid) {
      Require(offset % kVvfBlockSize == 0, "a block observed off a block boundary");
      Require(offset + kVvfBlockSize <= view_.wholeBlocks(), "a block observed that the source does not hold");
      const std::uint8_t* block = view_.block(offset);
      Require(valid == (tavrix::HeaderCheck(block, 7) == block[7]), "a block's check byte misjudged");
      tavrix::VvfBlockHeader expected;
      tavrix::DecodeBlockHeader(block, bigEndian_, expected);
      Require(header == expected, "a block header misread");
    });
  }
  void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

  std::uint32_t Next() { return Checked(reader_.ReadNext(buffer_.get()), true); }
  std::uint32_t Prev() { return Checked(reader_.ReadPrev(buffer_.get()), false); }
  std::uint32_t AtTarget(std::uint64_t target) {
    const std::uint32_t length = Checked(reader_.ReadAtTarget(buffer_.get()), true);
    Require(length == 0 || !reader_.frameInfo().audio, "ReadAtTarget delivered an audio frame");
    Require(length == 0 || reader_.FrameOffset() >= target / kVvfBlockSize * kVvfBlockSize,
            "ReadAtTarget delivered a frame before the target's block");
    return length;
  }

  // Reads in one direction until a call delivers nothing and does not move.
  // Every other call moves the position or delivers a frame, so the calls are
  // bounded by the source's size.
  void Drain(bool forward) {
    const std::uint64_t limit = 2 * view_.size() + 16;
    for (std::uint64_t calls = 0;; ++calls) {
      Require(calls <= limit, "the reader stopped making progress");
      const std::uint64_t before = reader_.Position();
      const std::uint32_t length = forward ? Next() : Prev();
      if (length == 0 && reader_.Position() == before) return;
    }
  }

 private:
  std::uint32_t Checked(std::uint32_t length, bool forward) {
    Require(reader_.Position() <= view_.size(), "the position left the source");
    tavrix::CalendarTime time;
    if (reader_.GetBlockTime(time)) Require(time.year >= 1970 && time.year <= 2106, "a block time out of range");
    if (length == 0) return 0;
    const tavrix::FrameInfo& info = reader_.frameInfo();
    Require(length <= kMaxFrameBytes, "a frame longer than the buffer");
    Require(info.length == length, "frame info disagrees with the length delivered");
    Require(info.channel >= 0 && info.channel < 16, "a channel out of range");
    Require(info.interval >= 0 && info.interval <= 127, "a frame interval out of range");

    // The frame is the source's at FrameOffset, from its start code up to
    // the start code that ended it. Backwards a frame cut to the buffer keeps
    // its last bytes, which only their number tells; forwards its first.
    const std::uint8_t* bytes = buffer_.get();
    const std::size_t head = info.audio ? tavrix::kAudioFrameHeaderSize : 0;
    Require(head + length >= 4, "a frame shorter than its start code");
    if (!forward && head + length >= kMaxFrameBytes) return length;
    const bool cut = forward && head + length + 4 >= kMaxFrameBytes;
    const std::size_t span = head + length + (cut ? 0 : 4);
    const StreamView::Span source = view_.Read(reader_.FrameOffset(), span);
    Require(source.bytes.size() == span, "a frame that runs past the source");
    const std::uint8_t* frame = source.bytes.data();
    const std::size_t first = info.audio ? 0 : 3;  // the code byte; before it the reader's own 00 00 01
    Require(std::equal(bytes + first, bytes + length, frame + head + first), "a frame differs from the source");
    if (info.audio) {
      Require(tavrix::IsAudioCode(frame[3]), "an audio frame's offset holds another start code");
      // Backwards the channel of an audio frame is not reported.
      Require(!forward || info.channel == frame[3] - tavrix::kFirstAudioCode, "an audio frame's channel misread");
    } else {
      Require(frame[3] == tavrix::kUpdatePictureCode || frame[3] == tavrix::kFullPictureCode,
              "a video frame's offset holds another start code");
      Require(length <= 4 || info.channel == (bytes[4] & 0x0F), "a video frame's channel misread");
    }
    // A start code may be completed after a damaged block, whose bytes then
    // stand where its first bytes were.
    if (!source.damaged) {
      Require(frame[0] == 0 && frame[1] == 0 && frame[2] == 1, "a frame's offset holds no start code");
      const std::uint8_t* end = frame + span - 4;
      Require(cut || (end[0] == 0 && end[1] == 0 && end[2] == 1 && tavrix::IsFrameCode(end[3])),
              "a frame that does not end at a start code");
    }
    return length;
  }

  tavrix::VvfReader& reader_;
  const StreamView& view_;
  bool bigEndian_ = false;
  std::unique_ptr<std::uint8_t[]> buffer_ = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
};

void RunOperation(tavrix::VvfReader& reader, ReaderCheck& check, const std::uint8_t* operation) {
  const std::uint64_t fraction = static_cast<std::uint64_t>(operation[1]) << 8 | operation[2];
  const std::uint64_t position = reader.Size() * fraction >> 16;
  switch (operation[0] % 5) {
    case 0:
      reader.Seek(position);
      for (int i = 0; i < kReadsPerOperation; ++i) check.Next();
      break;
    case 1:
      reader.Seek(position);
      for (int i = 0; i < kReadsPerOperation; ++i) check.Prev();
      break;
    case 2:
      if (reader.SetSeekTarget(position)) check.AtTarget(position);
      break;
    case 3:
      // Back and forth around the current position.
      for (int i = 0; i < kReadsPerOperation / 2; ++i) {
        check.Prev();
        check.Next();
      }
      break;
    case 4: {
      // The other header byte order, which makes other blocks valid.
      const bool bigEndian = (operation[1] & 1) != 0;
      reader.SetFormatVariant(bigEndian ? tavrix::FormatVariant::QM_QMC : tavrix::FormatVariant::QM_QMT2);
      check.SetBigEndian(bigEndian);
      reader.Seek(position);
      for (int i = 0; i < kReadsPerOperation; ++i) check.Next();
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemorySource source;
  if (size < kSettingsSize) return 0;
  const std::uint8_t* settings = data;
  const bool isDisk = (settings[0] & 1) != 0;
  const auto variant = static_cast<tavrix::FormatVariant>((settings[0] >> 1 & 7) % 7);
  // Standard time from 14 hours east to 12 hours west of UTC.
  const std::int32_t bias = (settings[0] >> 4) * (26 * 3600 / 15) - 14 * 3600;

  source.Fill(data + kSettingsSize, size - kSettingsSize);
  const StreamView view(data + kSettingsSize, size - kSettingsSize, isDisk);
  // A reader of its own for every input, so that a crash repeats from its input alone.
  tavrix::VvfReader reader;
  Require(reader.Open(source.path(), isDisk), "the reader cannot open its source");
  Require(reader.Size() == view.size(), "the reader has the wrong size");
  reader.SetFormatVariant(variant);
  reader.SetTimeBias(bias);

  ReaderCheck check(reader, view);
  check.SetBigEndian(tavrix::UsesBigEndianHeaders(variant));
  {
    tavrix::VvfForwardScan scan(reader);
    auto buffer = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
    while (scan.Next(buffer.get()) > 0) {
    }
    const auto& blocks = scan.blocks();
    Require(blocks.blocks <= view.wholeBlocks() / kVvfBlockSize, "the scan counted more blocks than there are");
    Require(blocks.rejected <= blocks.blocks, "more blocks rejected than examined");
  }
  check.ObserveBlocks();
  reader.Seek(0);
  check.Drain(true);
  check.Drain(false);
  for (int i = 0; i < kOperations; ++i) RunOperation(reader, check, settings + 1 + 3 * i);
  return 0;
}
