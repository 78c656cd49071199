#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrix {

// Hands composed pictures and sound to a writer on a thread of its own, so
// that reading and composing the next frames overlaps with encoding the last
// ones. Both kinds go through one queue and reach the writer in the order
// they were pushed, so the file's layout never depends on thread timing. The
// bytes are copied into a few slots allocated once; Push waits for a free one.
class FrameWriterThread {
 public:
  enum class Kind { kPicture, kSound };
  // Writes one item; false stops the thread and refuses further items.
  using Writer = std::function<bool(Kind kind, const std::uint8_t* bytes, std::size_t length)>;

  // Each slot holds up to `slotBytes`: a whole picture.
  FrameWriterThread(std::size_t slotBytes, int slots, Writer writer);
  FrameWriterThread(const FrameWriterThread&) = delete;
  FrameWriterThread& operator=(const FrameWriterThread&) = delete;
  ~FrameWriterThread();

  // Queues a copy of the bytes. False when a write has failed, after Finish,
  // or for more bytes than a slot holds.
  bool Push(Kind kind, const std::uint8_t* bytes, std::size_t length);
  // Waits until every queued item is written and ends the thread. False
  // when a write failed.
  bool Finish();

 private:
  struct Slot {
    Kind kind = Kind::kPicture;
    std::size_t length = 0;
    std::vector<std::uint8_t> bytes;
  };

  void Run();

  Writer writer_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t first_ = 0;  // oldest queued slot
  std::size_t queued_ = 0;
  bool finishing_ = false;
  bool failed_ = false;
  std::thread thread_;
};

}  // namespace tavrix
