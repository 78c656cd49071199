#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrix {

// Hands frames to a writer on a thread of its own, in order, so that reading
// and composing the next frames overlaps with encoding the last ones. The
// frames are copied into a few slots allocated once; Push waits for a free one.
class FrameWriterThread {
 public:
  // Writes one frame; false stops the thread and refuses further frames.
  using Writer = std::function<bool(const std::uint8_t* frame)>;

  FrameWriterThread(std::size_t frameBytes, int slots, Writer writer);
  FrameWriterThread(const FrameWriterThread&) = delete;
  FrameWriterThread& operator=(const FrameWriterThread&) = delete;
  ~FrameWriterThread();

  // Queues a copy of the frame. False when a write has failed.
  bool Push(const std::uint8_t* frame);
  // Waits until every queued frame is written and ends the thread. False
  // when a write failed.
  bool Finish();

 private:
  void Run();

  Writer writer_;
  std::vector<std::vector<std::uint8_t>> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t first_ = 0;  // oldest queued slot
  std::size_t queued_ = 0;
  bool finishing_ = false;
  bool failed_ = false;
  std::thread thread_;
};

}  // namespace tavrix
