#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/calendar_time.h"
#include "media/format_variant.h"
#include "media/frame_info.h"
#include "media/frame_limits.h"
#include "storage/block_cache.h"
#include "storage/start_code_search.h"
#include "storage/vvf_block.h"

namespace tavrix {

// Turns a VVF source (a file, a DVR disk or a disk image) into frames, one
// call at a time, forwards or backwards. There is no index: every position is
// a byte offset that the reader scans from for the next start code, and the
// time of a frame is that of the last block header read.
//
// Not thread-safe: every call comes from one thread at a time. A playback
// thread that others watch publishes Position and GetBlockTime itself.
class VvfReader {
 public:
  // The caller's buffer for ReadNext, ReadPrev and ReadAtTarget must hold
  // kMaxFrameBytes bytes; longer frames are cut to it.

  // Called for every block whose header the reader examines, with the
  // block's file offset and whether its check byte matched. A block may be
  // reported more than once when the scan moves back into it.
  using BlockObserver = std::function<void(std::uint64_t offset, const VvfBlockHeader& header, bool valid)>;

  VvfReader();
  VvfReader(const VvfReader&) = delete;
  VvfReader& operator=(const VvfReader&) = delete;
  virtual ~VvfReader();

  // Opens a VVF file, or with isDisk a DVR disk or disk image whose 16-bit
  // words are byte-swapped. A block device's size comes from the device, a
  // file's from its length. False, with LastError set, when the path cannot
  // be opened for reading, is not a file or block device, or has no size.
  bool Open(const std::string& path, bool isDisk);
  void Close();
  bool IsOpen() const;

  void SetFormatVariant(FormatVariant variant);
  // UTC minus local standard time in seconds; StandardTimeBias() by default.
  void SetTimeBias(std::int32_t biasSeconds);
  void SetBlockObserver(BlockObserver observer);

  std::uint64_t Size() const { return size_; }
  std::uint64_t Position() const { return position_; }
  // Moves the scan position, from which the next call scans afresh; ignored
  // at or beyond the end of the source.
  void Seek(std::uint64_t position);
  // The target of the next ReadAtTarget; false (target kept) when the source
  // is empty or the position lies at or beyond its end.
  bool SetSeekTarget(std::uint64_t position);

  // Each copies one frame into buffer (kMaxFrameBytes bytes) and returns its
  // length, or 0 when this call delivered none (end of source, a damaged
  // block skipped, or nothing complete yet). Video frames are delivered from
  // their start code on; audio frames as their samples only.
  std::uint32_t ReadNext(std::uint8_t* buffer);
  std::uint32_t ReadPrev(std::uint8_t* buffer);
  // ReadNext for a walk that needs only where frames are and what they are:
  // the same frames, positions and frame info, but no bytes are copied.
  std::uint32_t SkipNext();
  // The first complete video frame that begins after the start of the block
  // holding the seek target.
  std::uint32_t ReadAtTarget(std::uint8_t* buffer);

  // Describes the frame last delivered.
  const FrameInfo& frameInfo() const { return info_; }
  // File offset of the first byte of the start code of the frame last
  // delivered.
  std::uint64_t FrameOffset() const { return frameOffset_; }
  // The last byte of its start code (0xF8 update picture, 0xF9 full picture,
  // 0xFA-0xFD audio).
  std::uint8_t FrameCode() const { return frameCode_; }
  // The time of the last block header read; false before any was read or
  // when the source is closed.
  bool GetBlockTime(CalendarTime& out) const;
  const std::string& SourceName() const { return sourceName_; }
  // Why the last Open failed, as one line.
  const std::string& LastError() const { return lastError_; }

 private:
  enum class BlockRead { kOk, kShort, kRejected };
  // frameEnded: the scan reached the end of a frame, even when that frame
  // had nothing to deliver (an audio frame too short for its header).
  struct ForwardResult {
    std::uint32_t length = 0;
    bool frameEnded = false;
  };

  BlockRead ReadBlock(std::uint64_t offset);
  // Forgets the frame being gathered and the bytes last scanned.
  void RestartScan();
  void ResetGathering();
  // Reads the block at start for a forward scan; false ends the call.
  bool EnterBlockForward(std::uint64_t start);
  // buffer is nullptr for SkipNext.
  ForwardResult ReadForward(std::uint8_t* buffer);
  // Scans the current block from index `from`; returns the index of the byte
  // that completed the start code after a gathered frame, or kVvfBlockSize
  // when the block ended first.
  std::size_t ScanForward(std::size_t from);
  // Begins a frame at the start code that ends at index codeEnd of the block.
  void StartGathering(std::size_t codeEnd);
  // Adds stream bytes to the frame being gathered, up to kMaxFrameBytes;
  // only its first bytes are stored when nothing will be copied out.
  void Gather(const std::uint8_t* bytes, std::size_t count);
  // codeEnd: file offset of the last byte of the start code that ended the frame.
  ForwardResult DeliverForward(std::uint8_t* buffer, std::uint64_t codeEnd);
  std::uint32_t DeliverBackward(std::uint8_t* buffer);

  int fd_ = -1;
  std::string sourceName_;
  std::string lastError_;
  bool bigEndian_ = false;
  std::int32_t timeBias_;
  BlockObserver blockObserver_;

  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t seekTarget_ = 0;
  std::uint64_t blockOffset_ = 0;  // file offset of the block in block_
  bool blockLoaded_ = false;

  std::uint32_t window_ = 0xFFFFFFFF;
  bool collecting_ = false;
  std::size_t collected_ = 0;
  std::size_t storeLimit_ = kMaxFrameBytes;  // bytes of the gathered frame kept in frameBuffer_
  bool lastBackward_ = false;
  std::uint64_t gatherStart_ = 0;  // file offset of the start code being gathered from
  std::uint64_t frameOffset_ = 0;
  std::uint8_t frameCode_ = 0;

  FrameInfo info_;
  const StartCodeSearch findStartCode_ = FastestStartCodeSearch();
  BlockCache cache_;
  const std::uint8_t* block_ = nullptr;  // the block at blockOffset_, in cache_
  std::unique_ptr<std::uint8_t[]> frameBuffer_;
};

}  // namespace tavrix
