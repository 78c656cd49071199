#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "audio/audio_device.h"
#include "audio/wave_format.h"

namespace tavrix {

class Event;

// Plays PCM through one 8192-byte ring that the device loops over without end.
// Writers put samples just ahead of the device's play position; the bytes
// played so far are the audio clock. A write that would leave less than
// 1024 bytes free is refused (back-pressure, the caller retries), and
// Service keeps the device paused while less than 1024 bytes lie ahead of it.
//
// One thread at a time writes and services (the playback thread); volume and
// mute may be set from another. Open, Start and Close belong to the owner
// while no writer runs.
class AudioOut {
 public:
  static constexpr std::uint32_t kRingSize = 8192;
  static constexpr std::uint32_t kLowWater = 1024;  // also the margin kept free
  static constexpr std::uint32_t kFullVolume = 0xFFFFFFFF;

  // Receives the one-line errors meant for the user; stderr when empty.
  using ErrorReporter = std::function<void(const std::string& message)>;

  // Without a device the sound card is reached through SDL2.
  explicit AudioOut(ErrorReporter reporter = {}, std::unique_ptr<AudioDevice> device = {});
  AudioOut(const AudioOut&) = delete;
  AudioOut& operator=(const AudioOut&) = delete;
  ~AudioOut();

  // Closes any open device and opens one for `format`. On failure reports
  // "Sound device open error !" (once until an Open succeeds again) and
  // returns 0; the object then accepts and discards every write.
  int Open(const WaveFormat& format);
  // Pauses the device, clears the ring and lets the device loop over it;
  // Service restarts it once enough is queued. 1 also without a device.
  int Start();
  // Pauses the device and clears the ring, so nothing already queued is
  // heard again; the owner calls it when a playback thread ends.
  void Silence();

  // 1 when all `length` bytes were queued, 0 when refused. Without a device: 1.
  int Write(const std::uint8_t* data, std::uint32_t length);
  // Queues A-law bytes as 16-bit PCM (2 bytes per input byte).
  int WriteALaw(const std::uint8_t* data, std::uint32_t length);
  // Pauses the device below the low-water mark and restarts it above.
  void Service();

  // Write that waits for room: the block goes in pieces that fit the ring,
  // servicing the device between attempts. Gives up, returning false, as soon
  // as `stop` is signalled or `keepGoing` returns false (either may be empty),
  // or when the ring is full before Start.
  bool WriteWhile(std::span<const std::uint8_t> pcm, const std::function<bool()>& keepGoing,
                  Event* stop = nullptr);
  bool WriteALawWhile(std::span<const std::uint8_t> alaw, const std::function<bool()>& keepGoing,
                      Event* stop = nullptr);

  // level is on the device's 0..0xFFFF scale, the same for both channels.
  void SetVolume(std::uint32_t level);
  std::uint32_t GetVolume() const { return volume_.load() & 0xFFFF; }
  void SetMute(bool muted);
  bool GetMute() const { return muted_.load(); }
  // The volume word last given to the device: left level low, right level high.
  // Full scale until set while a device is open; like a mixer level it stays
  // across Open, which does not apply the stored volume.
  std::uint32_t DeviceVolume() const { return deviceVolume_.load(); }

  bool IsDeviceOpen() const { return device_->IsOpen(); }
  bool IsPaused() const;
  // Bytes the device has played since Open: the audio clock.
  std::uint64_t PlayPosition() const;
  // Bytes written since Open, on the same scale.
  std::uint64_t Written() const;
  // Written minus played at the last check (0 after an underrun).
  std::uint32_t Queued() const;
  const WaveFormat& format() const { return format_; }

 private:
  enum class Encoding { Pcm, ALaw };

  void Close();
  void Render(std::uint8_t* out, std::size_t length);
  void ScaleToVolume(std::uint8_t* samples, std::size_t length, std::uint32_t level) const;
  std::uint8_t SilenceByte() const;
  static std::uint64_t RingBytes(std::uint64_t length, Encoding encoding);
  int WriteEncoded(const std::uint8_t* data, std::uint32_t length, Encoding encoding);
  bool WriteWaiting(std::span<const std::uint8_t> data, Encoding encoding,
                    const std::function<bool()>& keepGoing, Event* stop);
  void ApplyDeviceVolume();
  void Report(const std::string& message) const;

  // Called with the device's lock held.
  std::uint64_t PlayedLocked(bool evenOnly) const;
  void UpdateQueuedLocked(std::uint64_t played);
  std::uint64_t RoomLocked(Encoding encoding);
  void MoveWriterLocked(std::uint64_t position);
  void StoreLocked(const std::uint8_t* data, std::uint32_t length, Encoding encoding);
  void StorePcmLocked(const std::uint8_t* data, std::uint32_t length);
  bool PauseLocked();
  void SilenceLocked();

  ErrorReporter reporter_;
  std::unique_ptr<AudioDevice> device_;
  WaveFormat format_;
  // The device's lock guards the fields below that its callback touches.
  std::array<std::uint8_t, kRingSize> ring_{};
  std::uint32_t writeOffset_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t played_ = 0;
  std::uint32_t queued_ = 0;
  bool looping_ = false;
  bool paused_ = false;
  bool firstPause_ = true;
  bool openErrorReported_ = false;
  std::atomic<std::uint32_t> volume_{0};
  std::atomic<bool> muted_{false};
  std::atomic<std::uint32_t> deviceVolume_{kFullVolume};
};

}  // namespace tavrix
