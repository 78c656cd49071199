#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "audio/wave_format.h"

namespace tavrix {

// The sound card as AudioOut sees it: a sink that pulls bytes through a render
// callback on its own thread while it runs. Lock/Unlock exclude that callback,
// so the device is a BasicLockable for std::unique_lock.
class AudioDevice {
 public:
  // Fills `length` bytes of the device's format; runs on the device's thread.
  using Render = std::function<void(std::uint8_t* out, std::size_t length)>;

  virtual ~AudioDevice() = default;

  // Opens the device paused. False (with LastError) when there is none.
  virtual bool Open(const WaveFormat& format, Render render) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual bool Pause() = 0;
  virtual bool Resume() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  virtual std::string LastError() const = 0;

  void lock() { Lock(); }
  void unlock() { Unlock(); }
};

}  // namespace tavrix
