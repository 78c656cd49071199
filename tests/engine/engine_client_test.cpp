#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/dvr_simulator.h"
#include "net/generated_live_source.h"
#include "storage/vvf_reader.h"
#include "tests/engine/engine_harness.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::PlayerUnderTest;
using testing::WaitUntil;

constexpr std::uint32_t kLiveFrames = 30;

GeneratedLiveSource::Options LiveOptions() {
  GeneratedLiveSource::Options options;
  options.frames = kLiveFrames;
  options.fullEvery = 10;
  return options;
}

// What a decoder shows after the first `frames` pictures of the live stream.
std::vector<std::uint8_t> LivePictureAfter(std::uint32_t frames) {
  GeneratedLiveSource source(LiveOptions());
  LiveElement element;
  for (std::uint32_t shown = 0; shown < frames && source.Next(element);) {
    shown += element.kind == LiveElement::Kind::kVideo ? 1 : 0;
  }
  const DecodedPicture& picture = source.Reference();
  return std::vector<std::uint8_t>(picture.data(), picture.data() + picture.size());
}

// A simulated DVR on loopback serving kLiveFrames pictures and their sound.
struct LiveDvr {
  LiveDvr() {
    DvrSimulator::Options options;
    options.password = "1234";
    options.framesPerSecond = 100;
    simulator = std::make_unique<DvrSimulator>(options, std::make_unique<GeneratedLiveSource>(LiveOptions()));
    std::string error;
    opened = simulator->Open(error);
  }

  std::unique_ptr<DvrSimulator> simulator;
  bool opened = false;
};

TEST(EngineClientMode, ShowsTheLiveStreamAndRecordsItUntilDisconnect) {
  LiveDvr dvr;
  ASSERT_TRUE(dvr.opened);
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  ASSERT_TRUE(player.SetMode(EngineMode::Client));
  EXPECT_EQ(engine.StopLocalRecording().reason(), "no local recording is running");
  EXPECT_TRUE(engine.Disconnect());  // nothing connected: nothing to stop

  const testing::TempFile directory(std::vector<std::uint8_t>{}, "unused");
  const std::string recording = directory.directory() + "/live.vvf";
  ASSERT_TRUE(engine.StartLocalRecording(recording));
  ASSERT_TRUE(engine.ConnectDirect("127.0.0.1", dvr.simulator->port(), "1234"));
  // A frame is cut from the stream when the next one begins, so the last
  // one never arrives.
  ASSERT_TRUE(WaitUntil([&] { return player.view.ShownCount(0) == kLiveFrames - 1; }));
  EXPECT_TRUE(engine.IsConnected());
  EXPECT_EQ(engine.GetState(), PlaybackState::Idle);  // client mode has no playback state
  EXPECT_EQ(player.view.CopyPicture(0).bytes, LivePictureAfter(kLiveFrames - 1));

  EXPECT_TRUE(engine.Disconnect());
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_FALSE(engine.IsConnected());
  EXPECT_FALSE(engine.IsLocalRecording());  // the stream's end closed the file

  VvfReader reader;
  ASSERT_TRUE(reader.Open(recording, false));
  std::vector<std::uint8_t> frame(kMaxFrameBytes);
  int videoFrames = 0;
  while (reader.ReadNext(frame.data()) != 0) videoFrames += reader.frameInfo().audio ? 0 : 1;
  EXPECT_GT(videoFrames, 0);
}

TEST(EngineClientMode, PlayerModeStopsAConnectionEvenWhileItRetries) {
  LiveDvr dvr;
  ASSERT_TRUE(dvr.opened);
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  ASSERT_TRUE(player.SetMode(EngineMode::Client));

  // A port nobody listens on: the client keeps retrying.
  ASSERT_TRUE(engine.ConnectDirect("127.0.0.1", 1, ""));
  ASSERT_TRUE(player.SetMode(EngineMode::Player));
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_EQ(engine.GetConnectionState(), ConnectionState::kIdle);

  // Connected and streaming: the same.
  ASSERT_TRUE(player.SetMode(EngineMode::Client));
  ASSERT_TRUE(engine.ConnectDirect("127.0.0.1", dvr.simulator->port(), "1234"));
  ASSERT_TRUE(WaitUntil([&] { return player.view.ShownCount(0) > 0; }));
  ASSERT_TRUE(player.SetMode(EngineMode::Player));
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_FALSE(engine.IsConnected());
}

TEST(EngineClientMode, RefusedSettingsStartNoThread) {
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  ASSERT_TRUE(player.SetMode(EngineMode::Client));
  const CommandResult connected = engine.ConnectDirect("127.0.0.1", 8841, std::string(40, 'x'));
  EXPECT_FALSE(connected);
  EXPECT_FALSE(connected.reason().empty());
  EXPECT_EQ(engine.GetLastErrorText(), connected.reason());
  EXPECT_FALSE(engine.IsThreadAlive());
}

}  // namespace
}  // namespace tavrix
