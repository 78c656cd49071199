// tavrix play: the real player engine without a window, for watching playback
// from a terminal and for scripts.
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/arguments.h"
#include "engine/playback_state.h"
#include "engine/player_engine.h"
#include "storage/block_time.h"
#include "video/view_model.h"

namespace tavrix::cli {
namespace {

// Set by Ctrl-C, so the engine stops and the device closes cleanly.
std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted.store(true); }

const char* StateName(int state) {
  switch (state) {
    case kStateForward: return "forward";
    case kStateReverse: return "reverse";
    case kStateStepForward: return "step";
    case kStateStepBackward: return "step-back";
    case kStatePaused: return "paused";
    case kStateSeek: return "seek";
    default: return "stopped";
  }
}

std::uint64_t PicturesShown(const VideoViewModel& view) {
  std::uint64_t total = 0;
  for (int channel = 0; channel < VideoViewModel::kMaxChannels; ++channel) total += view.ShownCount(channel);
  return total;
}

void PrintStatus(const PlayerEngine& engine, const VideoViewModel& view, double seconds) {
  const std::uint64_t size = engine.GetSourceSize();
  const std::uint64_t position = engine.GetPosition();
  CalendarTime time;
  const std::string block = engine.GetBlockTime(time) ? FormatCalendarTime(time) : "-";
  std::printf("%6.1fs  %-8s x%-5g position %llu/%llu (%5.1f%%)  block %s  pictures %llu\n", seconds,
              StateName(engine.GetState()), engine.GetSpeed(), static_cast<unsigned long long>(position),
              static_cast<unsigned long long>(size), size == 0 ? 0.0 : 100.0 * static_cast<double>(position) / static_cast<double>(size),
              block.c_str(), static_cast<unsigned long long>(PicturesShown(view)));
  std::fflush(stdout);
}

constexpr std::uint64_t kLastBlock = 4096;

// Runs a playback command and waits until the thread has taken it up; false
// when Ctrl-C came first.
bool Command(const PlayerEngine& engine, const std::function<void()>& command) {
  const std::uint64_t taken = engine.GetCommandsTaken();
  command();
  while (engine.GetCommandsTaken() == taken) {
    if (interrupted.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

int RunPlay(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"speed", "seconds"}, {"disk", "reverse"});
  const std::string& source = arguments.RequirePositional(0, "source");
  arguments.ExpectPositionalCount(1);
  const double speed = arguments.Number("speed", 1.0, 1.0 / 64, 32);
  if (speed > 8 && speed != 16 && speed != 32) throw UsageError("--speed above 8 must be 16 or 32 (fast play)");
  const long long seconds = arguments.Integer("seconds", 0, 0, 31'536'000);
  const bool reverse = arguments.Flag("reverse");

  VideoViewModel view;
  PlayerEngine engine(view);
  engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000);
  engine.SetMode(PlayerEngine::kPlayerMode, -1);
  view.SetSplit(4, 0);
  engine.SetVolume(0xFFFF);
  engine.SetSpeed(reverse ? 1.0 : std::min(speed, 8.0));
  if (!engine.OpenSource(source, arguments.Flag("disk"))) {
    std::fprintf(stderr, "tavrix play: cannot open %s: %s\n", source.c_str(), engine.GetLastErrorText().c_str());
    return 1;
  }

  const auto previous = std::signal(SIGINT, OnInterrupt);
  interrupted.store(false);
  bool commanded = true;
  if (reverse) {
    // Backwards from the end: the seek shows the last block's first picture and pauses.
    const std::uint64_t size = engine.GetSourceSize();
    commanded = Command(engine, [&] { engine.Seek(size > kLastBlock ? size - kLastBlock : 0); }) &&
                Command(engine, [&] { engine.PlayReverse(std::min(speed, 8.0)); });
  }
  // Fast play is reached the way the buttons reach it: from 8, doubling.
  for (int press = 0; commanded && press < 3 && engine.GetSpeed() < speed; ++press) {
    commanded = Command(engine, [&] { reverse ? engine.FastRewind() : engine.FastForward(); });
  }

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto nextReport = start + std::chrono::seconds(1);
  bool ended = false;
  while (!ended && !interrupted.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Playback pauses by itself at the end of the recording (or its start, backwards).
    ended = engine.GetState() == kStatePaused;
    const auto now = Clock::now();
    const bool timeUp = seconds != 0 && now - start >= std::chrono::seconds(seconds);
    if (now >= nextReport || ended || timeUp) {
      PrintStatus(engine, view, std::chrono::duration<double>(now - start).count());
      nextReport += std::chrono::seconds(1);
    }
    if (timeUp) break;
  }
  engine.CloseSource();
  std::signal(SIGINT, previous);
  if (PicturesShown(view) == 0 && ended) {
    std::fprintf(stderr, "tavrix play: no pictures found in %s\n", source.c_str());
    return 1;
  }
  std::printf("%s\n", interrupted.load() ? "interrupted" : ended ? "end of recording" : "stopped");
  return 0;
}

}  // namespace tavrix::cli
