#pragma once
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "net/dvr_simulator.h"
#include "net/live_stream_source.h"
#include "net/net_client.h"
#include "net/net_notification.h"
#include "tests/support/wait_until.h"

namespace tavrix::testing {

// A stream of elements given up front.
class ScriptedSource : public LiveStreamSource {
 public:
  explicit ScriptedSource(std::vector<LiveElement> elements) : elements_(std::move(elements)) {}
  bool Next(LiveElement& element) override {
    if (next_ >= elements_.size()) return false;
    element = elements_[next_++];
    return true;
  }

 private:
  std::vector<LiveElement> elements_;
  std::size_t next_ = 0;
};

// A video element that stands in for a picture: its start code, then `size`
// bytes of `fill` (never a start code).
inline LiveElement PlaceholderFrame(std::uint8_t fill, std::size_t size = 40) {
  LiveElement element{LiveElement::Kind::kVideo, {0x00, 0x00, 0x01, 0xF8}};
  element.bytes.resize(4 + size, fill);
  return element;
}

inline LiveElement PlaceholderAudio(std::uint8_t fill, std::size_t size = 64) {
  return {LiveElement::Kind::kAudio, std::vector<std::uint8_t>(size, fill)};
}

// Records the client's notifications.
class NotificationLog : public NetNotificationReceiver {
 public:
  void Notify(NetNotification notification) override {
    {
      std::lock_guard lock(mutex_);
      received_.push_back(notification);
    }
    changed_.notify_all();
  }
  int Count(NetNotification notification) const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const NetNotification n : received_) count += n == notification;
    return count;
  }
  bool WaitFor(NetNotification notification, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return std::ranges::find(received_, notification) != received_.end(); });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<NetNotification> received_;
};

// A simulator with a scripted stream, opened on a free loopback port.
inline std::unique_ptr<DvrSimulator> OpenSimulator(DvrSimulator::Options options,
                                                   std::vector<LiveElement> elements = {}) {
  auto simulator = std::make_unique<DvrSimulator>(std::move(options),
                                                  std::make_unique<ScriptedSource>(std::move(elements)));
  std::string error;
  if (!simulator->Open(error)) return nullptr;
  return simulator;
}

}  // namespace tavrix::testing
