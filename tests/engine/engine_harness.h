#pragma once
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "audio/audio_decoder.h"
#include "engine/player_engine.h"
#include "video/view_model.h"

namespace tavrix::testing {

// Polls until the condition holds; false after a deadline generous enough
// for sanitizer builds. Nothing here measures time.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::seconds deadline = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A real engine in player mode on a headless view, with the recorder's
// configured formats (QM_QMT2 unless told otherwise, A-law at 8000 Hz, four
// channels). Sound goes to SDL's dummy driver unless a device is given.
struct PlayerUnderTest {
  explicit PlayerUnderTest(FormatVariant videoFormat = FormatVariant::QM_QMT2, std::unique_ptr<AudioDevice> device = {}) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    engine = std::make_unique<PlayerEngine>(view, [](const std::string&) {}, std::move(device));
    created = engine->Create(videoFormat, AudioFormat::QM_ALAW, 4, 8000) &&
              engine->SetMode(EngineMode::Player, -1).ok() && view.ApplyMode(EngineMode::Player, engine->GetSplitCount());
  }

  // Switches the engine and the view to the mode, as the window does.
  bool SetMode(EngineMode mode) {
    return engine->SetMode(mode, -1).ok() && view.ApplyMode(mode, engine->GetSplitCount());
  }

  // Total pictures the view has accepted, over all channels.
  std::uint64_t Shown() const {
    std::uint64_t total = 0;
    for (int channel = 0; channel < VideoViewModel::kMaxChannels; ++channel) total += view.ShownCount(channel);
    return total;
  }

  VideoViewModel view;
  std::unique_ptr<PlayerEngine> engine;
  bool created = false;
};

}  // namespace tavrix::testing
