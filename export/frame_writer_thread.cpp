#include "export/frame_writer_thread.h"

#include <algorithm>
#include <cstring>

namespace tavrix {

FrameWriterThread::FrameWriterThread(std::size_t slotBytes, int slots, Writer writer)
    : writer_(std::move(writer)), slots_(static_cast<std::size_t>(std::max(slots, 1))), thread_([this] { Run(); }) {
  for (Slot& slot : slots_) slot.bytes.resize(slotBytes);
}

FrameWriterThread::~FrameWriterThread() { Finish(); }

bool FrameWriterThread::Push(Kind kind, const std::uint8_t* bytes, std::size_t length) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_ < slots_.size() || failed_; });
  if (failed_ || finishing_) return false;
  // The slot after the queued ones stays free until it is queued: the writer
  // only reads queued slots, so the copy needs no lock.
  Slot& slot = slots_[(first_ + queued_) % slots_.size()];
  if (length > slot.bytes.size()) return false;
  lock.unlock();
  slot.kind = kind;
  slot.length = length;
  std::memcpy(slot.bytes.data(), bytes, length);
  lock.lock();
  ++queued_;
  changed_.notify_all();
  return true;
}

bool FrameWriterThread::Finish() {
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  return !failed_;
}

void FrameWriterThread::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return queued_ > 0 || finishing_; });
    if (queued_ == 0) return;  // finishing with nothing left
    const Slot& slot = slots_[first_];
    lock.unlock();
    const bool written = writer_(slot.kind, slot.bytes.data(), slot.length);
    lock.lock();
    first_ = (first_ + 1) % slots_.size();
    --queued_;
    if (!written) {
      failed_ = true;
      queued_ = 0;
      changed_.notify_all();
      return;
    }
    changed_.notify_all();
  }
}

}  // namespace tavrix
