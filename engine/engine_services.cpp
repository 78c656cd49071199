#include "engine/engine_services.h"

#include <SDL.h>

#include <mutex>

namespace tavrix {
namespace {

struct Shared {
  std::mutex mutex;
  int living = 0;
  int starts = 0;
  bool audioHeld = false;
};

Shared& shared() {
  static Shared instance;
  return instance;
}

}  // namespace

EngineServices::EngineServices() {
  Shared& state = shared();
  std::lock_guard lock(state.mutex);
  if (state.living++ != 0) return;
  ++state.starts;
  // Without any sound device this fails; the engines then play silently.
  state.audioHeld = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

EngineServices::~EngineServices() {
  Shared& state = shared();
  std::lock_guard lock(state.mutex);
  if (--state.living != 0) return;
  if (state.audioHeld) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  state.audioHeld = false;
}

int EngineServices::LivingEngines() {
  std::lock_guard lock(shared().mutex);
  return shared().living;
}

int EngineServices::Starts() {
  std::lock_guard lock(shared().mutex);
  return shared().starts;
}

bool EngineServices::AudioSubsystemHeld() {
  std::lock_guard lock(shared().mutex);
  return shared().audioHeld;
}

}  // namespace tavrix
