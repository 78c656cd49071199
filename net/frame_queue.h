#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "media/frame_record.h"
#include "platform/event.h"

namespace tavrix {

// A bounded queue of compressed frames between the network client's thread and
// the stream thread. Its buffers are allocated once; Push and Pop copy under
// the lock and never allocate. When full, the newest element is dropped.
class FrameQueue {
 public:
  FrameQueue(int bufferCount, std::int32_t bufferSize);
  FrameQueue(const FrameQueue&) = delete;
  FrameQueue& operator=(const FrameQueue&) = delete;
  ~FrameQueue() = default;

  // False when no buffer is free or the record does not fit one (dropped).
  bool Push(const FrameRecord& record);
  // Copies the oldest element into `record` (payload, time block, length; the
  // record's kind stays). False when empty.
  bool Pop(FrameRecord& record);
  // Set while at least one element is queued.
  Event& dataEvent() { return dataEvent_; }
  // Set while at least one buffer is free.
  Event& spaceEvent() { return spaceEvent_; }
  int queued() const;

 private:
  mutable std::mutex mutex_;
  Event dataEvent_{Event::ResetMode::Manual};
  Event spaceEvent_{Event::ResetMode::Manual};
  std::vector<std::unique_ptr<FrameRecord>> buffers_;
  std::vector<FrameRecord*> free_;  // a stack
  std::vector<FrameRecord*> full_;  // a ring, oldest at fullHead_
  std::size_t fullHead_ = 0;
  std::size_t fullCount_ = 0;
};

}  // namespace tavrix
