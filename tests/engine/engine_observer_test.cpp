#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/dvr_simulator.h"
#include "net/generated_live_source.h"
#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"
#include "tests/engine/observer_log.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::ObserverLog;
using testing::PlayerUnderTest;
using State = std::pair<PlaybackState, PlaybackSpeed>;

template <typename T>
bool Contains(const std::vector<T>& values, const T& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// Only the public interface and the reports: a client like the window or the
// CLI sees nothing else.
TEST(EngineObserver, PlaybackFromOpenToEitherEndAndCloseIsFollowedThroughTheReports) {
  EngineRecording recording = testing::Interleaved(3);
  const auto file = recording.Write();
  ObserverLog log;
  PlayerUnderTest player;
  ASSERT_TRUE(player.created);
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  const PlaybackSpeed fast(8);
  engine.SetSpeed(fast);

  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) { return r.ends == 1; }));
  ObserverLog::Reports reports = log.Snapshot();
  EXPECT_EQ(reports.states, (std::vector<State>{{PlaybackState::Forward, fast}, {PlaybackState::Paused, fast}}));
  EXPECT_TRUE(reports.errors.empty());
  EXPECT_EQ(engine.GetState(), PlaybackState::Paused);
  EXPECT_EQ(player.Shown(), recording.VideoFrames().size());

  // Backwards to the start: the other end, told the same way.
  ASSERT_TRUE(engine.PlayReverse(fast));
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) { return r.ends == 2; }));
  EXPECT_EQ(engine.GetPosition(), 0u);

  ASSERT_TRUE(engine.CloseSource());
  reports = log.Snapshot();
  EXPECT_EQ(reports.states, (std::vector<State>{{PlaybackState::Forward, fast},
                                                {PlaybackState::Paused, fast},
                                                {PlaybackState::Reverse, fast},
                                                {PlaybackState::Paused, fast},
                                                {PlaybackState::Idle, fast}}));
  EXPECT_EQ(reports.ends, 2);
  EXPECT_TRUE(reports.errors.empty());
  EXPECT_EQ(reports.threads.count(std::this_thread::get_id()), 0u) << "reports come on the engine's threads";
  EXPECT_EQ(engine.CloseSource().reason(), "no recording is open");
}

TEST(EngineObserver, RepeatPlaysOnWithoutAnEndAndSpeedChangesAreReported) {
  const auto file = testing::Interleaved(2).Write();
  ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  engine.SetRepeat(true);
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(engine.FastForward());
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) {
    return !r.states.empty() && r.states.back() == State{PlaybackState::Forward, PlaybackSpeed(8)};
  }));
  const std::uint64_t shown = player.Shown();
  // Three times round the recording, and never an end.
  ASSERT_TRUE(testing::WaitUntil([&] { return player.Shown() > shown + 3 * 8; }));
  ASSERT_TRUE(engine.CloseSource());
  const ObserverLog::Reports reports = log.Snapshot();
  EXPECT_EQ(reports.ends, 0);
  EXPECT_FALSE(reports.SawState(PlaybackState::Paused));
}

TEST(EngineObserver, AnObserverRemovedIsNeverCalledAgain) {
  const auto file = testing::Interleaved(2).Write();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  auto log = std::make_unique<ObserverLog>();
  engine.SetObserver(log.get());
  engine.SetRepeat(true);
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  const auto toggle = [&](int times) {
    for (int i = 0; i < times; ++i) {
      const std::uint64_t taken = engine.GetCommandsTaken();
      ASSERT_TRUE(i % 2 == 0 ? engine.Pause() : engine.PlayForward(PlaybackSpeed::Normal()));
      ASSERT_TRUE(testing::WaitUntil([&] { return engine.GetCommandsTaken() > taken; }));
    }
  };
  toggle(10);
  ASSERT_TRUE(log->WaitFor([](const ObserverLog::Reports& r) { return r.states.size() >= 10; }));

  // Removed while reports are being made, then gone.
  engine.Pause();
  engine.SetObserver(nullptr);
  const std::size_t reported = log->Snapshot().states.size();
  toggle(10);
  EXPECT_EQ(log->Snapshot().states.size(), reported);
  log.reset();
  toggle(10);
  EXPECT_TRUE(engine.CloseSource());
}

// The probe reads the whole of these at once: nothing in them decodes.
TEST(EngineObserver, ASourceWithoutAnyDecodablePictureIsReportedAndPausesAtOnce) {
  std::vector<std::uint8_t> diskImage = testing::ReadWholeFile(testing::Interleaved(4).Write()->path());
  const std::vector<std::uint8_t> fileImage = diskImage;
  testing::SwapToDiskOrder(diskImage);
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool openAsDisk;
  } cases[] = {
      {"garbage", std::vector<std::uint8_t>(9000, 0x5A), false},
      {"disk image opened as a file", diskImage, false},
      {"recording opened as a disk", fileImage, true},
      {"empty blocks", std::vector<std::uint8_t>(4096 * 3, 0), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::TempFile source(c.bytes);
    ObserverLog log;
    PlayerUnderTest player;
    PlayerEngine& engine = *player.engine;
    engine.SetObserver(&log);
    ASSERT_TRUE(engine.OpenSource(source.path(), c.openAsDisk));
    ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) { return !r.errors.empty(); }));
    const ObserverLog::Reports reports = log.Snapshot();
    EXPECT_EQ(reports.errors, std::vector<std::string>{"no pictures found in " + source.path()});
    EXPECT_EQ(reports.LastState(), PlaybackState::Paused);
    EXPECT_FALSE(reports.SawState(PlaybackState::Forward)) << "nothing was played";
    EXPECT_EQ(reports.ends, 0);
    EXPECT_EQ(player.Shown(), 0u);
    EXPECT_TRUE(engine.CloseSource());
  }
}

// Damage at the start is not the same as nothing to show: playback stops on
// it as it always did, says where, and what lies behind it still plays.
TEST(EngineObserver, FiveFailedReadsInsideTheSourcePauseWithAReportThatSaysWhere) {
  EngineRecording recording;
  for (int i = 0; i < 60; ++i) recording.AddVideo(i % 4, true);
  std::vector<std::uint8_t> image = testing::ReadWholeFile(recording.Write()->path());
  ASSERT_GT(image.size(), 10u * 4096);
  for (std::size_t block = 0; block < 6; ++block) testing::CorruptCheckByte(image, block);
  const testing::TempFile source(image);

  ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  ASSERT_TRUE(engine.OpenSource(source.path(), false));
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) { return !r.errors.empty(); }));
  ObserverLog::Reports reports = log.Snapshot();
  ASSERT_EQ(reports.errors.size(), 1u);
  EXPECT_EQ(reports.errors[0], source.path() + ": playback paused after 5 failed reads in a row, at byte 20480 of " +
                                   std::to_string(image.size()));
  EXPECT_EQ(reports.LastState(), PlaybackState::Paused);
  EXPECT_EQ(reports.ends, 0);

  ASSERT_TRUE(engine.Seek(8 * 4096));
  ASSERT_TRUE(testing::WaitUntil([&] { return player.Shown() == 1; }));
}

constexpr std::uint32_t kLiveFrames = 30;

std::unique_ptr<DvrSimulator> StartDvr() {
  DvrSimulator::Options options;
  options.password = "1234";
  options.framesPerSecond = 100;
  GeneratedLiveSource::Options live;
  live.frames = kLiveFrames;
  live.fullEvery = 10;
  auto simulator = std::make_unique<DvrSimulator>(options, std::make_unique<GeneratedLiveSource>(live));
  std::string error;
  return simulator->Open(error) ? std::move(simulator) : nullptr;
}

TEST(EngineObserver, ClientModeReportsConnectionStatesLoginFailureAndTheRecordingThatEndedWithTheStream) {
  const auto dvr = StartDvr();
  ASSERT_NE(dvr, nullptr);
  ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  ASSERT_TRUE(player.SetMode(EngineMode::Client));

  ASSERT_TRUE(engine.ConnectDirect("127.0.0.1", dvr->port(), "wrong"));
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) {
    return Contains(r.notifications, NetNotification::kLoginFailed);
  }));
  ASSERT_TRUE(engine.Disconnect());
  ObserverLog::Reports reports = log.Snapshot();
  EXPECT_EQ(reports.connections, (std::vector<ConnectionState>{ConnectionState::kConnectingDvr,
                                                               ConnectionState::kLoggingIn, ConnectionState::kIdle}));

  const testing::TempDirectory directory;
  ASSERT_TRUE(engine.StartLocalRecording(directory.File("live.vvf")));
  ASSERT_TRUE(engine.ConnectDirect("127.0.0.1", dvr->port(), "1234"));
  ASSERT_TRUE(log.WaitFor([](const ObserverLog::Reports& r) {
    return Contains(r.connections, ConnectionState::kOnline);
  }));
  ASSERT_TRUE(testing::WaitUntil([&] { return player.view.ShownCount(0) == kLiveFrames - 1; }));
  ASSERT_TRUE(engine.Disconnect());
  reports = log.Snapshot();
  EXPECT_EQ(reports.connections.back(), ConnectionState::kIdle);
  ASSERT_EQ(reports.captures.size(), 1u);
  EXPECT_EQ(reports.captures[0].capture, EngineObserver::Capture::LocalRecording);
  EXPECT_TRUE(reports.captures[0].ok);
  EXPECT_EQ(reports.captures[0].message, "the local recording ended with the live stream");
  EXPECT_TRUE(reports.states.empty()) << "client mode has no playback state";
  EXPECT_EQ(reports.threads.count(std::this_thread::get_id()), 0u);
}

}  // namespace
}  // namespace tavrix
