// tavrix play: the real player engine without a window, for watching playback
// from a terminal and for scripts.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "engine/engine_observer.h"
#include "engine/player_engine.h"
#include "storage/block_time.h"
#include "video/view_model.h"

namespace tavrix::cli {
namespace {

using Clock = std::chrono::steady_clock;

// Set by Ctrl-C, so the engine stops and the device closes cleanly.
std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted.store(true); }

// How often a wait looks at the Ctrl-C flag, which a signal handler cannot
// announce through a condition variable.
constexpr auto kInterruptCheck = std::chrono::milliseconds(100);

const char* StateName(PlaybackState state) {
  switch (state) {
    case PlaybackState::Forward: return "forward";
    case PlaybackState::Reverse: return "reverse";
    case PlaybackState::StepForward: return "step";
    case PlaybackState::StepBackward: return "step-back";
    case PlaybackState::Paused: return "paused";
    case PlaybackState::Seek: return "seek";
    default: return "stopped";
  }
}

// What the engine reported so far, kept for the main thread, which waits on it.
class PlayReports : public EngineObserver {
 public:
  struct Seen {
    PlaybackState state = PlaybackState::Idle;
    PlaybackSpeed speed = PlaybackSpeed::Normal();
    bool seekShown = false;  // a seek was carried out since the last MarkSeek
    bool ended = false;
    std::optional<std::string> error;

    bool Finished() const { return ended || error.has_value(); }
  };

  void OnStateChanged(PlaybackState state, PlaybackSpeed speed) override {
    Update([&](Seen& seen) {
      seen.state = state;
      seen.speed = speed;
      if (state == PlaybackState::Seek) seen.seekShown = true;
    });
  }
  void OnEndOfSource() override {
    Update([](Seen& seen) { seen.ended = true; });
  }
  void OnPlaybackError(const std::string& message) override {
    Update([&](Seen& seen) { seen.error = message; });
  }

  void MarkSeek() {
    Update([](Seen& seen) { seen.seekShown = false; });
  }

  // Waits until the condition holds, the deadline passes or Ctrl-C comes;
  // returns what was seen then.
  Seen WaitUntil(const std::function<bool(const Seen&)>& condition, Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    while (!condition(seen_) && !interrupted.load()) {
      const Clock::time_point now = Clock::now();
      if (now >= deadline) break;
      changed_.wait_until(lock, std::min(deadline, now + kInterruptCheck));
    }
    return seen_;
  }

 private:
  void Update(const std::function<void(Seen&)>& change) {
    {
      std::lock_guard lock(mutex_);
      change(seen_);
    }
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Seen seen_;
};

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
              StateName(engine.GetState()), engine.GetSpeed().factor(), static_cast<unsigned long long>(position),
              static_cast<unsigned long long>(size), size == 0 ? 0.0 : 100.0 * static_cast<double>(position) / static_cast<double>(size),
              block.c_str(), static_cast<unsigned long long>(PicturesShown(view)));
  std::fflush(stdout);
}

constexpr std::uint64_t kLastBlock = 4096;
// A command the engine has not carried out by then is not waited for longer.
constexpr auto kCommandDeadline = std::chrono::seconds(30);

// Waits until the playback thread reports the state (and speed) a command
// asked for, or playback finished; false when Ctrl-C came first.
bool AwaitState(PlayReports& reports, PlaybackState state, std::optional<PlaybackSpeed> speed = std::nullopt,
                bool afterSeek = false) {
  reports.WaitUntil(
      [&](const PlayReports::Seen& seen) {
        return seen.Finished() ||
               (seen.state == state && (!speed || seen.speed == *speed) && (!afterSeek || seen.seekShown));
      },
      Clock::now() + kCommandDeadline);
  return !interrupted.load();
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
  const PlaybackSpeed playSpeed(std::min(speed, 8.0));

  VideoViewModel view;
  PlayReports reports;
  PlayerEngine engine(view);
  engine.SetObserver(&reports);
  engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000);
  engine.SetMode(EngineMode::Player, -1);
  view.ApplyMode(EngineMode::Player, engine.GetSplitCount());
  view.SetSplit(4, 0);
  engine.SetVolume(0xFFFF);
  engine.SetSpeed(reverse ? PlaybackSpeed::Normal() : playSpeed);
  if (const CommandResult opened = engine.OpenSource(source, arguments.Flag("disk")); !opened) {
    std::fprintf(stderr, "tavrix play: cannot open %s: %s\n", source.c_str(), opened.reason().c_str());
    return 1;
  }

  const auto previous = std::signal(SIGINT, OnInterrupt);
  interrupted.store(false);
  // Commands after the open's own: it must have been taken first.
  bool commanded = AwaitState(reports, PlaybackState::Forward);
  if (commanded && reverse) {
    // Backwards from the end: the seek shows the last block's first picture and pauses.
    const std::uint64_t size = engine.GetSourceSize();
    reports.MarkSeek();
    commanded = engine.Seek(size > kLastBlock ? size - kLastBlock : 0) &&
                AwaitState(reports, PlaybackState::Paused, std::nullopt, true) && engine.PlayReverse(playSpeed) &&
                AwaitState(reports, PlaybackState::Reverse, playSpeed);
  }
  // Fast play is reached the way the buttons reach it: from 8, doubling.
  for (int press = 0; commanded && press < 3 && engine.GetSpeed().factor() < speed; ++press) {
    const PlaybackState playing = reverse ? PlaybackState::Reverse : PlaybackState::Forward;
    commanded = (reverse ? engine.FastRewind() : engine.FastForward()) &&
                AwaitState(reports, playing, engine.GetSpeed());
  }

  const auto start = Clock::now();
  const auto end = seconds != 0 ? start + std::chrono::seconds(seconds) : Clock::time_point::max();
  auto nextReport = start + std::chrono::seconds(1);
  PlayReports::Seen seen;
  bool timeUp = false;
  while (!interrupted.load()) {
    // Playback pauses by itself at the end of the recording (or its start,
    // backwards), or reports why it cannot go on.
    seen = reports.WaitUntil([](const PlayReports::Seen& s) { return s.Finished(); }, std::min(nextReport, end));
    const auto now = Clock::now();
    timeUp = now >= end;
    if (now >= nextReport || seen.Finished() || timeUp) {
      PrintStatus(engine, view, std::chrono::duration<double>(now - start).count());
      nextReport += std::chrono::seconds(1);
    }
    if (seen.Finished() || timeUp) break;
  }
  engine.CloseSource();
  std::signal(SIGINT, previous);
  if (seen.error) {
    std::fprintf(stderr, "tavrix play: %s\n", seen.error->c_str());
    return 1;
  }
  if (seen.ended && PicturesShown(view) == 0) {
    std::fprintf(stderr, "tavrix play: no pictures found in %s\n", source.c_str());
    return 1;
  }
  std::printf("%s\n", interrupted.load() ? "interrupted" : seen.ended ? "end of recording" : "stopped");
  return 0;
}

}  // namespace tavrix::cli
