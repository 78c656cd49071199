#pragma once
#include <cstdint>
#include <string>

#include "audio/audio_device.h"

namespace tavrix {

// The default output device through SDL2's audio subsystem. Every open device
// holds one reference on the subsystem, so any number of them can coexist.
class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice() = default;
  SdlAudioDevice(const SdlAudioDevice&) = delete;
  SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;
  ~SdlAudioDevice() override;

  bool Open(const WaveFormat& format, Render render) override;
  void Close() override;
  bool IsOpen() const override { return id_ != 0; }
  bool Pause() override;
  bool Resume() override;
  void Lock() override;
  void Unlock() override;
  std::string LastError() const override { return lastError_; }

 private:
  static void Callback(void* self, std::uint8_t* stream, int length);

  std::uint32_t id_ = 0;
  Render render_;
  std::string lastError_;
};

}  // namespace tavrix
