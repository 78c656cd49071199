#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"
#include "tests/engine/observer_log.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::PlayerUnderTest;

struct Refusal {
  const char* what;
  std::function<CommandResult(PlayerEngine&)> command;
  std::string reason;
};

// Every refusal is one line for the user, and the command it refuses
// changes nothing the caller can see.
void ExpectRefusals(PlayerUnderTest& player, const std::vector<Refusal>& refusals) {
  PlayerEngine& engine = *player.engine;
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    const PlaybackState state = engine.GetState();
    const PlaybackSpeed speed = engine.GetSpeed();
    const EngineMode mode = engine.GetMode();
    const bool alive = engine.IsThreadAlive();
    const CommandResult result = refusal.command(engine);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(static_cast<bool>(result));
    EXPECT_EQ(result.reason(), refusal.reason);
    EXPECT_EQ(result.reason().find('\n'), std::string::npos);
    EXPECT_EQ(engine.GetState(), state);
    EXPECT_EQ(engine.GetSpeed(), speed);
    EXPECT_EQ(engine.GetMode(), mode);
    EXPECT_EQ(engine.IsThreadAlive(), alive);
    EXPECT_FALSE(engine.IsAviCapturing());
  }
}

std::vector<Refusal> PlaybackCommands(const std::string& reason) {
  return {
      {"Pause", [](PlayerEngine& e) { return e.Pause(); }, reason},
      {"PlayForward", [](PlayerEngine& e) { return e.PlayForward(PlaybackSpeed::Normal()); }, reason},
      {"PlayReverse", [](PlayerEngine& e) { return e.PlayReverse(PlaybackSpeed::Normal()); }, reason},
      {"FastForward", [](PlayerEngine& e) { return e.FastForward(); }, reason},
      {"FastRewind", [](PlayerEngine& e) { return e.FastRewind(); }, reason},
      {"StepForward", [](PlayerEngine& e) { return e.StepForward(); }, reason},
      {"StepBackward", [](PlayerEngine& e) { return e.StepBackward(); }, reason},
      {"Seek", [](PlayerEngine& e) { return e.Seek(0); }, reason},
  };
}

TEST(EngineRefusals, PlayerModeWithoutARecording) {
  PlayerUnderTest player;
  ASSERT_TRUE(player.created);
  std::vector<Refusal> refusals = PlaybackCommands("no recording is open");
  refusals.push_back({"CloseSource", [](PlayerEngine& e) { return e.CloseSource(); }, "no recording is open"});
  refusals.push_back({"StartAviCapture",
                      [](PlayerEngine& e) {
                        PlayerEngine::AviCaptureOptions options;
                        options.path = "/tmp/never.avi";
                        return e.StartAviCapture(options);
                      },
                      "no recording is open"});
  refusals.push_back({"StopAviCapture", [](PlayerEngine& e) { return e.StopAviCapture(); }, "no AVI capture is running"});
  refusals.push_back({"ConnectDirect", [](PlayerEngine& e) { return e.ConnectDirect("127.0.0.1", 8841, ""); },
                      "connections are made in client mode only"});
  refusals.push_back({"ConnectDynamicIp", [](PlayerEngine& e) { return e.ConnectDynamicIp("127.0.0.1", 1800, "dvr", ""); },
                      "connections are made in client mode only"});
  refusals.push_back({"StartLocalRecording", [](PlayerEngine& e) { return e.StartLocalRecording("/tmp/never.vvf"); },
                      "local recordings are made of the live picture, in client mode"});
  refusals.push_back({"StopLocalRecording", [](PlayerEngine& e) { return e.StopLocalRecording(); },
                      "no local recording is running"});
  refusals.push_back({"SendKey", [](PlayerEngine& e) { return e.SendKey(11); }, "not connected to a DVR"});
  refusals.push_back({"SetMode 3", [](PlayerEngine& e) { return e.SetMode(static_cast<EngineMode>(3), 4); },
                      "there is no mode 3"});
  ExpectRefusals(player, refusals);
}

TEST(EngineRefusals, ClientMode) {
  const auto file = testing::Interleaved(2).Write();
  PlayerUnderTest player;
  ASSERT_TRUE(player.SetMode(EngineMode::Client));
  std::vector<Refusal> refusals = PlaybackCommands("playback commands work in player mode only");
  refusals.push_back({"OpenSource", [&](PlayerEngine& e) { return e.OpenSource(file->path(), false); },
                      "recordings play in player mode only"});
  refusals.push_back({"StartAviCapture",
                      [](PlayerEngine& e) {
                        PlayerEngine::AviCaptureOptions options;
                        options.path = "/tmp/never.avi";
                        return e.StartAviCapture(options);
                      },
                      "AVI capture is available in player mode only"});
  refusals.push_back({"ConnectDirect without an address", [](PlayerEngine& e) { return e.ConnectDirect("", 8841, ""); },
                      "no DVR address was given"});
  refusals.push_back({"ConnectDirect to port 0", [](PlayerEngine& e) { return e.ConnectDirect("127.0.0.1", 0, ""); },
                      "port 0 is not a DVR port"});
  refusals.push_back({"ConnectDynamicIp without a server",
                      [](PlayerEngine& e) { return e.ConnectDynamicIp("", 1800, "dvr", ""); },
                      "no dynamic-IP server was given"});
  refusals.push_back({"ConnectDynamicIp without a name",
                      [](PlayerEngine& e) { return e.ConnectDynamicIp("127.0.0.1", 1800, "", ""); },
                      "no DVR name was given"});
  refusals.push_back({"StartLocalRecording in a missing folder",
                      [](PlayerEngine& e) { return e.StartLocalRecording("/nonexistent/folder/live.vvf"); },
                      "/nonexistent/folder/live.vvf: No such file or directory"});
  ExpectRefusals(player, refusals);
  EXPECT_FALSE(player.engine->IsSourceOpen());
}

// A recording plays: the commands with arguments it cannot take, and an AVI
// capture asked for in ways that cannot work.
TEST(EngineRefusals, BadArgumentsWhileARecordingPlays) {
  const auto file = testing::Interleaved(3).Write();
  const std::uint64_t size = testing::ReadWholeFile(file->path()).size();
  testing::ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(log.WaitFor([](const testing::ObserverLog::Reports& r) { return r.ends == 1; }));

  const auto capture = [](std::string path, int split, int page) {
    return [=](PlayerEngine& e) {
      PlayerEngine::AviCaptureOptions options;
      options.path = path;
      options.split = split;
      options.page = page;
      return e.StartAviCapture(options);
    };
  };
  const std::string folder = file->directory();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectRefusals(
      player,
      {
          {"Seek to the end", [&](PlayerEngine& e) { return e.Seek(size); },
           "byte " + std::to_string(size) + " lies beyond the end of the recording (" + std::to_string(size) + " bytes)"},
          {"Seek far beyond", [&](PlayerEngine& e) { return e.Seek(~std::uint64_t{0}); },
           "byte 18446744073709551615 lies beyond the end of the recording (" + std::to_string(size) + " bytes)"},
          {"PlayForward at no speed", [&](PlayerEngine& e) { return e.PlayForward(PlaybackSpeed(nan)); },
           "the speed is not a number"},
          {"PlayReverse at no speed", [&](PlayerEngine& e) { return e.PlayReverse(PlaybackSpeed(nan)); },
           "the speed is not a number"},
          {"capture without a name", capture("", 4, 0), "no file name was given for the AVI capture"},
          {"capture with split 5", capture(folder + "/a.avi", 5, 0), "a split of 5 does not fit 4 channels"},
          {"capture with split 9", capture(folder + "/a.avi", 9, 0), "a split of 9 does not fit 4 channels"},
          {"capture of page 1 of 1", capture(folder + "/a.avi", 4, 1), "there is no page 1 with a split of 4"},
          {"capture of channel 5", capture(folder + "/a.avi", 1, 4), "there is no page 4 with a split of 1"},
          {"capture into a missing folder", capture("/nonexistent/folder/a.avi", 4, 0),
           "cannot create /nonexistent/folder/a.avi: No such file or directory"},
      });
  const std::vector<std::string> entries = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
  }();
  EXPECT_EQ(entries, std::vector<std::string>{"recording.vvf"}) << "a refused capture leaves no file";
}

// Nothing decodes, so there is no picture size to capture at.
TEST(EngineRefusals, AviCaptureNeedsAPictureShownFirst) {
  const testing::TempFile garbage(std::vector<std::uint8_t>(9000, 0x5A));
  testing::ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  ASSERT_TRUE(engine.OpenSource(garbage.path(), false));
  ASSERT_TRUE(log.WaitFor([](const testing::ObserverLog::Reports& r) { return !r.errors.empty(); }));
  ExpectRefusals(player, {{"StartAviCapture",
                           [&](PlayerEngine& e) {
                             PlayerEngine::AviCaptureOptions options;
                             options.path = garbage.directory() + "/capture.avi";
                             return e.StartAviCapture(options);
                           },
                           "no picture has been shown yet, so the AVI picture size is not known"}});
}

}  // namespace
}  // namespace tavrix
