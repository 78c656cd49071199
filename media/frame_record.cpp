#include "media/frame_record.h"

#include <algorithm>
#include <cstring>

#include "platform/tick_clock.h"

namespace tavrix {

FrameRecord::FrameRecord(std::int32_t capacity, std::int32_t kind)
    : payload_(std::make_unique<std::uint8_t[]>(std::max(capacity, kMinimumCapacity))),
      kind_(kind),
      capacity_(std::max(capacity, kMinimumCapacity)),
      created_(TickCountMs()) {}

bool FrameRecord::CopyFrom(const FrameRecord& source) {
  if (source.length_ > capacity_) return false;
  std::memcpy(payload_.get(), source.payload_.get(), static_cast<std::size_t>(source.length_));
  time = source.time;
  std::memcpy(extra, source.extra, sizeof extra);
  kind_ = source.kind_;
  length_ = source.length_;
  return true;
}

void FrameRecord::set_length(std::int32_t length) { length_ = std::clamp(length, 0, capacity_); }

}  // namespace tavrix
