#include "audio/audio_out.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "audio/g711.h"
#include "audio/sdl_audio_device.h"
#include "platform/event.h"

namespace tavrix {
namespace {

// How long a waiting writer sleeps before it offers a refused piece again:
// a fraction of the device's 32 ms period.
constexpr std::chrono::milliseconds kRetryWait{4};

}  // namespace

AudioOut::AudioOut(ErrorReporter reporter, std::unique_ptr<AudioDevice> device)
    : reporter_(std::move(reporter)),
      device_(device ? std::move(device) : std::make_unique<SdlAudioDevice>()) {}

AudioOut::~AudioOut() { Close(); }

void AudioOut::Close() {
  if (!device_->IsOpen()) return;
  {
    std::lock_guard<AudioDevice> lock(*device_);
    looping_ = false;
  }
  device_->Pause();
  device_->Close();
}

int AudioOut::Open(const WaveFormat& format) {
  Close();
  format_ = format;
  writeOffset_ = 0;
  written_ = 0;
  played_ = 0;
  queued_ = 0;
  looping_ = false;
  firstPause_ = true;
  ring_.fill(SilenceByte());
  if (!device_->Open(format, [this](std::uint8_t* out, std::size_t length) { Render(out, length); })) {
    // The owner may reopen on every mode switch; one message is enough.
    if (!openErrorReported_) Report("Sound device open error !");
    openErrorReported_ = true;
    return 0;
  }
  openErrorReported_ = false;
  // A device opens paused; keep it in the state the paused flag remembers.
  if (!paused_) device_->Resume();
  return 1;
}

int AudioOut::Start() {
  if (!device_->IsOpen()) return 1;
  std::lock_guard<AudioDevice> lock(*device_);
  // Whatever an earlier thread left in the ring must not play again.
  SilenceLocked();
  looping_ = true;
  return 1;
}

void AudioOut::Silence() {
  std::lock_guard<AudioDevice> lock(*device_);
  SilenceLocked();
}

void AudioOut::SilenceLocked() {
  if (device_->IsOpen()) PauseLocked();
  ring_.fill(SilenceByte());
  MoveWriterLocked(PlayedLocked(false));
  queued_ = 0;
}

int AudioOut::Write(const std::uint8_t* data, std::uint32_t length) {
  return WriteEncoded(data, length, Encoding::Pcm);
}

int AudioOut::WriteALaw(const std::uint8_t* data, std::uint32_t length) {
  return WriteEncoded(data, length, Encoding::ALaw);
}

int AudioOut::WriteEncoded(const std::uint8_t* data, std::uint32_t length, Encoding encoding) {
  // Without a device the data is dropped, so the caller never waits for a
  // sound card that is not there.
  if (!device_->IsOpen()) return 1;
  std::lock_guard<AudioDevice> lock(*device_);
  if (RoomLocked(encoding) < RingBytes(length, encoding)) return 0;
  StoreLocked(data, length, encoding);
  return 1;
}

void AudioOut::Service() {
  if (!device_->IsOpen()) return;
  std::lock_guard<AudioDevice> lock(*device_);
  UpdateQueuedLocked(PlayedLocked(false));
  if (queued_ < kLowWater) {
    if (!paused_) PauseLocked();
    return;
  }
  if (paused_ && device_->Resume()) paused_ = false;
}

bool AudioOut::WriteWhile(std::span<const std::uint8_t> pcm, const std::function<bool()>& keepGoing,
                          Event* stop) {
  return WriteWaiting(pcm, Encoding::Pcm, keepGoing, stop);
}

bool AudioOut::WriteALawWhile(std::span<const std::uint8_t> alaw, const std::function<bool()>& keepGoing,
                              Event* stop) {
  return WriteWaiting(alaw, Encoding::ALaw, keepGoing, stop);
}

bool AudioOut::WriteWaiting(std::span<const std::uint8_t> data, Encoding encoding,
                            const std::function<bool()>& keepGoing, Event* stop) {
  // Pieces are cut to the room there is now, so a block larger than the ring
  // still goes in, and a paused device always has room for the piece that
  // makes Service restart it.
  std::size_t done = 0;
  while (done < data.size()) {
    if ((stop != nullptr && stop->IsSet()) || (keepGoing && !keepGoing())) return false;
    if (!device_->IsOpen()) return true;
    std::size_t piece = 0;
    {
      std::lock_guard<AudioDevice> lock(*device_);
      const std::size_t remaining = data.size() - done;
      piece = std::min<std::size_t>(remaining, RoomLocked(encoding) / RingBytes(1, encoding));
      // Before Start the device plays nothing, so a full ring never empties.
      if (piece == 0 && !looping_) return false;
      if (piece < remaining && encoding == Encoding::Pcm && format_.blockAlign > 1) {
        piece -= piece % format_.blockAlign;  // never split a sample
      }
      if (piece > 0) StoreLocked(data.data() + done, static_cast<std::uint32_t>(piece), encoding);
    }
    done += piece;
    Service();
    if (piece > 0) continue;
    if (stop != nullptr) {
      if (stop->Wait(kRetryWait)) return false;
    } else {
      std::this_thread::sleep_for(kRetryWait);
    }
  }
  return true;
}

void AudioOut::SetVolume(std::uint32_t level) {
  volume_.store((level & 0xFFFF) * 0x10001u);
  if (!muted_.load()) ApplyDeviceVolume();
}

void AudioOut::SetMute(bool muted) {
  muted_.store(muted);
  ApplyDeviceVolume();
}

void AudioOut::ApplyDeviceVolume() {
  if (device_->IsOpen()) deviceVolume_.store(muted_.load() ? 0 : volume_.load());
}

bool AudioOut::IsPaused() const {
  std::lock_guard<AudioDevice> lock(*device_);
  return paused_;
}

std::uint64_t AudioOut::PlayPosition() const {
  std::lock_guard<AudioDevice> lock(*device_);
  return played_;
}

std::uint64_t AudioOut::Written() const {
  std::lock_guard<AudioDevice> lock(*device_);
  return written_;
}

std::uint32_t AudioOut::Queued() const {
  std::lock_guard<AudioDevice> lock(*device_);
  return queued_;
}

std::uint8_t AudioOut::SilenceByte() const { return format_.bitsPerSample == 8 ? 0x80 : 0x00; }

std::uint64_t AudioOut::RingBytes(std::uint64_t length, Encoding encoding) {
  return encoding == Encoding::ALaw ? 2 * length : length;
}

std::uint64_t AudioOut::PlayedLocked(bool evenOnly) const {
  // Only whole 16-bit samples count as played.
  return (evenOnly || format_.blockAlign != 1) ? played_ & ~std::uint64_t{1} : played_;
}

void AudioOut::UpdateQueuedLocked(std::uint64_t played) {
  if (written_ >= played) {
    queued_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(written_ - played, kRingSize));
  } else {
    queued_ = 0;  // underrun: the device has overtaken the writer
    MoveWriterLocked(played);
  }
}

std::uint64_t AudioOut::RoomLocked(Encoding encoding) {
  UpdateQueuedLocked(PlayedLocked(encoding == Encoding::ALaw));
  constexpr std::uint32_t usable = kRingSize - kLowWater;
  return queued_ >= usable ? 0 : usable - queued_;
}

void AudioOut::MoveWriterLocked(std::uint64_t position) {
  // New samples go where the device will play next.
  written_ = position;
  writeOffset_ = static_cast<std::uint32_t>(position % kRingSize);
}

void AudioOut::StoreLocked(const std::uint8_t* data, std::uint32_t length, Encoding encoding) {
  if (encoding == Encoding::Pcm) {
    StorePcmLocked(data, length);
    return;
  }
  std::array<std::uint8_t, 512> expanded{};
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t count = std::min<std::uint32_t>(length - done, expanded.size() / 2);
    for (std::uint32_t i = 0; i < count; ++i) {
      const auto sample = static_cast<std::uint16_t>(ExpandALaw(data[done + i]));
      expanded[2 * i] = static_cast<std::uint8_t>(sample & 0xFF);
      expanded[2 * i + 1] = static_cast<std::uint8_t>(sample >> 8);
    }
    StorePcmLocked(expanded.data(), 2 * count);
    done += count;
  }
}

void AudioOut::StorePcmLocked(const std::uint8_t* data, std::uint32_t length) {
  const std::uint32_t first = std::min(length, kRingSize - writeOffset_);
  std::memcpy(ring_.data() + writeOffset_, data, first);
  std::memcpy(ring_.data(), data + first, length - first);
  writeOffset_ = (writeOffset_ + length) % kRingSize;
  written_ += length;
}

bool AudioOut::PauseLocked() {
  if (!device_->Pause()) return false;
  if (firstPause_) {
    MoveWriterLocked(PlayedLocked(false));
    firstPause_ = false;
  }
  paused_ = true;
  return true;
}

void AudioOut::Render(std::uint8_t* out, std::size_t length) {
  // Runs on the device's thread with the device's lock held.
  if (!looping_) {
    std::memset(out, SilenceByte(), length);
    return;
  }
  std::size_t offset = played_ % kRingSize;
  for (std::size_t done = 0; done < length;) {
    const std::size_t count = std::min(length - done, kRingSize - offset);
    std::memcpy(out + done, ring_.data() + offset, count);
    done += count;
    offset = 0;
  }
  played_ += length;
  ScaleToVolume(out, length, deviceVolume_.load() & 0xFFFF);
}

void AudioOut::ScaleToVolume(std::uint8_t* samples, std::size_t length, std::uint32_t level) const {
  if (level == 0xFFFF) return;
  if (format_.bitsPerSample == 8) {
    for (std::size_t i = 0; i < length; ++i) {
      const int centred = samples[i] - 0x80;
      samples[i] = static_cast<std::uint8_t>(centred * static_cast<int>(level) / 0xFFFF + 0x80);
    }
    return;
  }
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    const auto sample = static_cast<std::int16_t>(samples[i] | (samples[i + 1] << 8));
    const auto scaled = static_cast<std::uint16_t>(sample * static_cast<int>(level) / 0xFFFF);
    samples[i] = static_cast<std::uint8_t>(scaled & 0xFF);
    samples[i + 1] = static_cast<std::uint8_t>(scaled >> 8);
  }
}

void AudioOut::Report(const std::string& message) const {
  if (reporter_) {
    reporter_(message);
  } else {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
}

}  // namespace tavrix
