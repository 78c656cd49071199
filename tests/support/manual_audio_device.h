#pragma once
#include <atomic>
#include <mutex>
#include <vector>

#include "audio/audio_device.h"

namespace tavrix::testing {

// A device the test drives by hand: Pull plays bytes through the render
// callback exactly as the sound card's thread would, but only when the test
// says, so ring arithmetic can be checked to the byte.
class ManualAudioDevice final : public AudioDevice {
 public:
  // `present` false behaves like a machine without a sound card.
  explicit ManualAudioDevice(bool present = true) : present_(present) {}

  bool Open(const WaveFormat&, Render render) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!present_) return false;
    render_ = std::move(render);
    paused_ = true;
    open_ = true;
    return true;
  }
  void Close() override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    open_ = false;
    render_ = nullptr;
  }
  bool IsOpen() const override { return open_; }
  bool Pause() override { return SetPaused(true); }
  bool Resume() override { return SetPaused(false); }
  void Lock() override { mutex_.lock(); }
  void Unlock() override { mutex_.unlock(); }
  std::string LastError() const override { return present_ ? "" : "no sound card"; }

  bool paused() const { return paused_; }

  // Plays `length` bytes; empty while paused or closed (no callback then).
  std::vector<std::uint8_t> Pull(std::size_t length) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!open_ || paused_) return {};
    std::vector<std::uint8_t> out(length);
    render_(out.data(), out.size());
    return out;
  }

 private:
  bool SetPaused(bool paused) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    paused_ = paused;
    return open_;
  }

  const bool present_;
  std::recursive_mutex mutex_;
  std::atomic<bool> open_{false};
  std::atomic<bool> paused_{true};
  Render render_;
};

}  // namespace tavrix::testing
