#include "net/frame_queue.h"

#include <algorithm>

namespace tavrix {

FrameQueue::FrameQueue(int bufferCount, std::int32_t bufferSize) {
  const std::size_t count = static_cast<std::size_t>(std::max(bufferCount, 1));
  buffers_.reserve(count);
  free_.reserve(count);
  full_.resize(count, nullptr);
  for (std::size_t i = 0; i < count; ++i) {
    buffers_.push_back(std::make_unique<FrameRecord>(bufferSize, FrameRecord::kTransfer));
    free_.push_back(buffers_.back().get());
  }
  spaceEvent_.Set();
}

bool FrameQueue::Push(const FrameRecord& record) {
  std::lock_guard lock(mutex_);
  if (free_.empty()) return false;
  FrameRecord* buffer = free_.back();
  if (!buffer->CopyFrom(record)) return false;
  free_.pop_back();
  full_[(fullHead_ + fullCount_) % full_.size()] = buffer;
  ++fullCount_;
  dataEvent_.Set();
  if (free_.empty()) spaceEvent_.Reset();
  return true;
}

bool FrameQueue::Pop(FrameRecord& record) {
  std::lock_guard lock(mutex_);
  if (fullCount_ == 0) return false;
  FrameRecord* buffer = full_[fullHead_];
  fullHead_ = (fullHead_ + 1) % full_.size();
  --fullCount_;
  if (fullCount_ == 0) dataEvent_.Reset();
  const std::int32_t kind = record.kind();
  const bool copied = record.CopyFrom(*buffer);
  record.set_kind(kind);
  free_.push_back(buffer);
  spaceEvent_.Set();
  return copied;
}

int FrameQueue::queued() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(fullCount_);
}

}  // namespace tavrix
