// Pacing accuracy of local playback: the measured time between two pictures
// reaching the view, at 1x, 2x and 8x, against the period the recording asks
// for (interval 0, NTSC fields of QM_QMT2: 16,666 us divided by the speed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "engine/engine_observer.h"
#include "engine/player_engine.h"
#include "tests/support/vvf_fixture.h"
#include "video/view_model.h"

namespace tavrix {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 90;
constexpr double kPeriodUs = 16666;

// The headless view, noting when each picture arrives.
class TimedView : public VideoViewModel {
 public:
  void OnPicture(int channel, const PictureView& picture, const CalendarTime& time) override {
    {
      std::lock_guard lock(mutex_);
      arrivals_.push_back(Clock::now());
    }
    VideoViewModel::OnPicture(channel, picture, time);
  }
  std::vector<Clock::time_point> Arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    arrivals_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<Clock::time_point> arrivals_;
};

// Wakes the benchmark when playback has reached the end of the recording.
class EndOfSource : public EngineObserver {
 public:
  void OnEndOfSource() override {
    {
      std::lock_guard lock(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ended_; });
    ended_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ended_ = false;
};

// One channel of moving test pictures, a full picture every 30 frames.
std::unique_ptr<testing::TempFile> MakeRecording() {
  VideoEncoder encoder(static_cast<int>(FormatVariant::QM_QMT2));
  testing::VvfStreamBuilder stream;
  std::vector<std::uint8_t> picture(PictureBytes(kPictureWidth, kNtscHeight));
  std::vector<std::uint8_t> coded;
  for (int frame = 0; frame < kFrames; ++frame) {
    DrawTestPicture(picture.data(), kPictureWidth, kNtscHeight, 0, static_cast<std::uint32_t>(frame), 0);
    const bool full = frame % 30 == 0;
    encoder.Encode(picture.data(), kPictureWidth, kNtscHeight, 0, 6,
                   full ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate, coded);
    stream.AddVideoBytes(0, full, std::vector<std::uint8_t>(coded.begin() + 5, coded.end()), 6);
  }
  stream.AddTerminator();
  return std::make_unique<testing::TempFile>(testing::MakeVvfImage(stream.stream()));
}

void BM_PacedFramePeriod(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const double speed = static_cast<double>(state.range(0));
  static const auto recording = MakeRecording();
  TimedView view;
  EndOfSource end;
  PlayerEngine engine(view, [](const std::string&) {});
  engine.SetObserver(&end);
  engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000);
  engine.SetMode(EngineMode::Player, -1);
  view.ApplyMode(EngineMode::Player, engine.GetSplitCount());

  double measuredUs = 0;
  for (auto _ : state) {
    view.Forget();
    engine.SetSpeed(PlaybackSpeed(speed));
    engine.OpenSource(recording->path(), false);
    end.Wait();
    engine.CloseSource();
    const auto arrivals = view.Arrivals();
    // The first picture starts the clock; the gaps after it are the periods.
    const double spanUs = std::chrono::duration<double, std::micro>(arrivals.back() - arrivals.front()).count();
    measuredUs = spanUs / static_cast<double>(arrivals.size() - 1);
    state.SetIterationTime(spanUs / 1e6);
  }
  const double expectedUs = kPeriodUs / speed;
  state.counters["expected_ms"] = expectedUs / 1000;
  state.counters["measured_ms"] = measuredUs / 1000;
  state.counters["measured_per_expected"] = measuredUs / expectedUs;
}
BENCHMARK(BM_PacedFramePeriod)->Arg(1)->Arg(2)->Arg(8)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrix
