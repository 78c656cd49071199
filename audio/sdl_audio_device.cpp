#include "audio/sdl_audio_device.h"

#include <SDL.h>

#include <mutex>

namespace tavrix {
namespace {

// SDL counts references on its subsystems but its init and quit calls are
// not thread-safe: devices may be opened from different threads.
std::mutex& SubsystemMutex() {
  static std::mutex mutex;
  return mutex;
}

// 256 samples: 32 ms at 8000 Hz, well inside the ring's 1024-byte margin.
constexpr Uint16 kDeviceSamples = 256;

}  // namespace

SdlAudioDevice::~SdlAudioDevice() { Close(); }

bool SdlAudioDevice::Open(const WaveFormat& format, Render render) {
  Close();
  std::lock_guard<std::mutex> guard(SubsystemMutex());
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    lastError_ = SDL_GetError();
    return false;
  }
  render_ = std::move(render);
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format.samplesPerSecond);
  wanted.format = format.bitsPerSample == 16 ? AUDIO_S16LSB : AUDIO_U8;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = kDeviceSamples;
  wanted.callback = &SdlAudioDevice::Callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware needs.
  id_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (id_ == 0) {
    lastError_ = SDL_GetError();
    render_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

void SdlAudioDevice::Close() {
  if (id_ == 0) return;
  std::lock_guard<std::mutex> guard(SubsystemMutex());
  SDL_CloseAudioDevice(id_);  // joins the callback thread
  id_ = 0;
  render_ = nullptr;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioDevice::Pause() {
  if (id_ == 0) return false;
  SDL_PauseAudioDevice(id_, 1);
  return true;
}

bool SdlAudioDevice::Resume() {
  if (id_ == 0) return false;
  SDL_PauseAudioDevice(id_, 0);
  return true;
}

void SdlAudioDevice::Lock() {
  if (id_ != 0) SDL_LockAudioDevice(id_);
}

void SdlAudioDevice::Unlock() {
  if (id_ != 0) SDL_UnlockAudioDevice(id_);
}

void SdlAudioDevice::Callback(void* self, std::uint8_t* stream, int length) {
  static_cast<SdlAudioDevice*>(self)->render_(stream, static_cast<std::size_t>(length));
}

}  // namespace tavrix
