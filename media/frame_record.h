#pragma once
#include <cstdint>
#include <memory>

#include "media/calendar_time.h"
#include "media/frame_limits.h"

namespace tavrix {

// One compressed frame held in memory, as the network queues pass it on.
// The payload buffer stays with its record; copies move bytes, not buffers.
class FrameRecord {
 public:
  enum Kind : std::int32_t { kTransfer = 0, kVideo = 1, kAudio = 4 };
  static constexpr std::int32_t kMinimumCapacity = 16;
  static constexpr std::int32_t kMaxCapacity = static_cast<std::int32_t>(kMaxFrameBytes);

  FrameRecord(std::int32_t capacity, std::int32_t kind);
  FrameRecord(const FrameRecord&) = delete;
  FrameRecord& operator=(const FrameRecord&) = delete;
  ~FrameRecord() = default;

  // Copies payload, time, extra metadata, kind and length from source.
  // Fails, leaving this record unchanged, when the payload would not fit.
  bool CopyFrom(const FrameRecord& source);

  std::uint8_t* payload() { return payload_.get(); }
  const std::uint8_t* payload() const { return payload_.get(); }
  std::int32_t capacity() const { return capacity_; }
  std::int32_t length() const { return length_; }
  // Clamped to the capacity.
  void set_length(std::int32_t length);
  std::int32_t kind() const { return kind_; }
  void set_kind(std::int32_t kind) { kind_ = kind; }
  std::uint32_t created() const { return created_; }

  CalendarTime time;
  std::uint8_t extra[16] = {};

 private:
  std::unique_ptr<std::uint8_t[]> payload_;
  std::int32_t kind_;
  std::int32_t capacity_;
  std::int32_t length_ = 0;
  std::uint32_t created_;
};

}  // namespace tavrix
