#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#include "net/control_message.h"
#include "tests/net/net_test_support.h"

namespace tavrix {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::NotificationLog;
using testing::OpenSimulator;
using testing::PlaceholderAudio;
using testing::PlaceholderFrame;
using testing::WaitUntil;

// The video frames and audio blocks the client has queued, oldest first.
struct Drained {
  std::vector<Bytes> video, audio;
};

Drained Drain(NetClient& client) {
  Drained drained;
  FrameRecord video(FrameRecord::kMaxCapacity, FrameRecord::kVideo);
  while (client.videoQueue().Pop(video)) drained.video.emplace_back(video.payload(), video.payload() + video.length());
  FrameRecord audio(StreamCutter::kAudioCapacity, FrameRecord::kAudio);
  while (client.audioQueue().Pop(audio)) drained.audio.emplace_back(audio.payload(), audio.payload() + audio.length());
  return drained;
}

// Frames interleaved with audio; a last frame closes the one before it.
std::vector<LiveElement> Script(int frames, std::vector<Bytes>* video, std::vector<Bytes>* audio) {
  std::vector<LiveElement> elements;
  for (int i = 0; i < frames; ++i) {
    elements.push_back(PlaceholderFrame(static_cast<std::uint8_t>(0x10 + i), 30 + 50 * i));
    if (video) video->push_back(elements.back().bytes);
    elements.push_back(PlaceholderAudio(static_cast<std::uint8_t>(0x80 + i), 100 + i));
    if (audio) audio->push_back(elements.back().bytes);
  }
  elements.push_back(PlaceholderFrame(0x7F));
  return elements;
}

bool Connect(NetClient& client, const DvrSimulator& simulator, std::uint32_t timeoutMs = 5000) {
  client.SetTimeout(timeoutMs);
  return client.ConfigureDirect("127.0.0.1", simulator.port(), "") && client.Start() == 1 &&
         WaitUntil([&] { return client.state() == ConnectionState::kOnline; });
}

TEST(NetClientStream, ElementsArriveIntactThroughWireFaults) {
  const struct {
    const char* name;
    bool statusReports, controlInside, split;
  } cases[] = {
      {"plain", false, false, false},
      {"status reports between and inside frames", true, true, false},
      {"start codes split across writes", false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> video, audio;
    DvrSimulator::Options options;
    options.framesPerSecond = 200;
    options.statusEvery = c.statusReports ? 1 : 0;
    options.controlInsideFrames = c.controlInside;
    options.splitStartCodes = c.split;
    auto simulator = OpenSimulator(options, Script(6, &video, &audio));
    ASSERT_TRUE(simulator);
    NotificationLog notifications;
    NetClient client;
    client.SetNotificationReceiver(&notifications);
    ASSERT_TRUE(Connect(client, *simulator));
    ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 6; }));
    ASSERT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.elementsSent == 13; }, 10s));
    const Drained drained = Drain(client);
    EXPECT_EQ(drained.video, video);
    EXPECT_EQ(drained.audio, audio);
    if (c.statusReports) {
      EXPECT_TRUE(WaitUntil([&] { return client.statusWords()[4] == 7; }));
      EXPECT_EQ(client.statusWords()[0], 1);
      EXPECT_GE(notifications.Count(NetNotification::kStatus), 7);
    }
    client.Stop();
  }
}

TEST(NetClientStream, GarbageBetweenElementsCostsNoFrame) {
  DvrSimulator::Options options;
  options.framesPerSecond = 200;
  options.garbageBetweenElements = true;
  auto simulator = OpenSimulator(options, Script(5, nullptr, nullptr));
  ASSERT_TRUE(simulator);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator));
  ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 5; }));
  const Drained drained = Drain(client);
  for (std::size_t i = 0; i < drained.video.size(); ++i) {
    EXPECT_EQ(drained.video[i][4], 0x10 + i) << "frames keep their order and their own bytes";
  }
  client.Stop();
}

TEST(NetClientStream, AFullQueueKeepsTheOldestFrames) {
  std::vector<Bytes> video;
  DvrSimulator::Options options;
  options.framesPerSecond = 0;
  auto simulator = OpenSimulator(options, Script(20, &video, nullptr));
  ASSERT_TRUE(simulator);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator));
  ASSERT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.elementsSent == 41; }, 10s));
  // The last element closes frame 20; once the audio after it is queued too,
  // every frame has been cut.
  ASSERT_TRUE(WaitUntil([&] { return client.audioQueue().queued() == 16; }));
  ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 16; }));
  video.resize(16);
  EXPECT_EQ(Drain(client).video, video);
  client.Stop();
}

TEST(NetClientStream, ServerClosedMessageIsNotified) {
  DvrSimulator::Options options;
  auto simulator = OpenSimulator(options);
  ASSERT_TRUE(simulator);
  NotificationLog notifications;
  NetClient client;
  client.SetNotificationReceiver(&notifications);
  ASSERT_TRUE(Connect(client, *simulator));
  simulator->SendServerClosed();
  EXPECT_TRUE(notifications.WaitFor(NetNotification::kServerClosed, 10s));
  client.Stop();
}

TEST(NetClientStream, SilenceLeadsToANewLogin) {
  DvrSimulator::Options options;
  options.framesPerSecond = 100;
  options.stallAfterElements = 2;
  auto simulator = OpenSimulator(options, Script(3, nullptr, nullptr));
  ASSERT_TRUE(simulator);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator, 300));
  EXPECT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.accepted >= 2; }, 10s));
  EXPECT_TRUE(WaitUntil([&] { return client.state() == ConnectionState::kOnline; }));
  client.Stop();
}

TEST(NetClientStream, AConnectionResetMidFrameLeavesNoHalfFrame) {
  std::vector<Bytes> video;
  DvrSimulator::Options options;
  options.framesPerSecond = 100;
  options.resetAfterElements = 4;  // half of the third frame
  auto simulator = OpenSimulator(options, Script(5, &video, nullptr));
  ASSERT_TRUE(simulator);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator, 500));
  ASSERT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.accepted == 2; }, 10s));
  ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 4; }));
  const std::vector<Bytes> expected = {video[0], video[1], video[3], video[4]};
  EXPECT_EQ(Drain(client).video, expected);
  client.Stop();
}

TEST(NetClientStream, AConnectionTheDvrDropsEndsOnlyAtTheSilenceCheck) {
  DvrSimulator::Options options;
  options.framesPerSecond = 100;
  options.resetAfterElements = 2;
  auto simulator = OpenSimulator(options, Script(3, nullptr, nullptr));
  ASSERT_TRUE(simulator);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator, 2000));
  ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 1; }));
  // The dropped connection stays readable: every pass from here on reads
  // nothing from it.
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t before = client.receivePasses();
  constexpr std::uint64_t kDeadReads = 20;
  ASSERT_TRUE(WaitUntil([&] { return client.receivePasses() >= before + kDeadReads; }));
  EXPECT_TRUE(client.IsLoggedIn()) << "a read of nothing changes nothing";
  EXPECT_EQ(simulator->log().accepted, 1);
  const std::uint64_t passes = client.receivePasses() - before;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  // A pause follows each read of the dead socket; a few passes may still
  // have found the last bytes the DVR sent.
  constexpr std::uint64_t kLastDataPasses = 4;
  EXPECT_LE(passes, kLastDataPasses + static_cast<std::uint64_t>(elapsed.count()) / NetClient::kClosedPollPauseMs)
      << "the readable dead socket is not polled in a tight loop (" << elapsed.count() << " ms)";
  EXPECT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.accepted == 2; }, 10s));
  client.Stop();
}

TEST(NetClientStream, HostilePeersCostBoundedMemoryAndNoFrameAfterThem) {
  std::vector<Bytes> video;
  DvrSimulator::Options options;
  options.framesPerSecond = 100;
  auto simulator = OpenSimulator(options, Script(2, &video, nullptr));
  ASSERT_TRUE(simulator);
  simulator->SetStalled(true);
  NetClient client;
  ASSERT_TRUE(Connect(client, *simulator));

  // A video frame that never ends, with a control message of the longest
  // declared length inside it, then an audio block that never ends.
  Bytes endlessFrame = {0x00, 0x00, 0x01, 0xF8};
  endlessFrame.resize(1 << 20, 0x11);
  simulator->Inject(endlessFrame);
  Bytes longestControl = {0x00, 0x00, 0x01, 0xFE, 'F', 'F', 'F', 'F', '0', '0', '0', '8'};
  longestControl.resize(0xFFFF, '0');
  simulator->Inject(longestControl);
  simulator->Inject(Bytes(1 << 20, 0x22));
  Bytes endlessAudio = {0x00, 0x00, 0x01, 0xFA};
  endlessAudio.resize(1 << 20, 0x33);
  simulator->Inject(endlessAudio);
  simulator->SetStalled(false);

  ASSERT_TRUE(WaitUntil([&] { return client.videoQueue().queued() == 3; }));
  ASSERT_TRUE(WaitUntil([&] { return client.audioQueue().queued() == 3; }));
  const Drained drained = Drain(client);
  ASSERT_EQ(drained.video.size(), 3u);
  // Cut at the buffer's end less the four bytes every frame loses; nothing
  // that followed the control message joins it.
  Bytes truncatedFrame(endlessFrame.begin(), endlessFrame.begin() + FrameRecord::kMaxCapacity - 4);
  EXPECT_EQ(drained.video[0], truncatedFrame);
  EXPECT_EQ(drained.video[1], video[0]);
  EXPECT_EQ(drained.video[2], video[1]);
  EXPECT_EQ(drained.audio[0], Bytes(StreamCutter::kAudioCapacity - 4, 0x33));
  EXPECT_EQ(client.statusWords()[4], 0) << "the overlong message was not read";
  EXPECT_TRUE(client.IsLoggedIn());
  client.Stop();
}

TEST(NetClientRemote, KeysGoOutOnlyWhileLoggedIn) {
  DvrSimulator::Options options;
  auto simulator = OpenSimulator(options);
  ASSERT_TRUE(simulator);
  NetClient client;
  EXPECT_EQ(client.SendKey(0x21), 0);
  ASSERT_TRUE(Connect(client, *simulator));
  EXPECT_EQ(client.SendKey(0x1F), 1);
  EXPECT_EQ(client.SendKey(0x05), 1);
  EXPECT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.keys.size() == 2; }, 10s));
  EXPECT_EQ(simulator->log().keys, (std::vector<std::uint8_t>{0x1F, 0x05}));
  client.Stop();
  EXPECT_EQ(client.SendKey(0x21), 0);
  EXPECT_EQ(simulator->log().keys.size(), 2u);
}

TEST(NetClientRemote, MouseReportsGoOutAtMostEvery250Milliseconds) {
  DvrSimulator::Options options;
  auto simulator = OpenSimulator(options);
  ASSERT_TRUE(simulator);
  MouseReport report;
  NetClient client;
  client.SetMouseReport(&report);
  client.SetMouseMode(2);
  ASSERT_TRUE(Connect(client, *simulator));

  const auto start = std::chrono::steady_clock::now();
  constexpr int kMoves = 300;
  for (int i = 1; i <= kMoves; ++i) {
    report.Record({MouseReport::kLeft, i, 2 * i, 640, 448});
    std::this_thread::sleep_for(3ms);
  }
  ASSERT_TRUE(simulator->WaitFor(
      [](const DvrSimulator::Log& log) { return !log.mice.empty() && log.mice.back().x == kMoves; }, 10s));
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  const auto mice = simulator->log().mice;
  EXPECT_LE(mice.size(), static_cast<std::size_t>(1 + elapsed.count() / 250));
  EXPECT_GE(mice.size(), 2u) << "movements keep being reported";
  for (const auto& mouse : mice) {
    EXPECT_EQ(mouse.buttons, 0x101) << "mode 2 shows the DVR's cursor";
    EXPECT_EQ(mouse.y, 2 * mouse.x) << "one report's fields stay together";
    EXPECT_EQ(mouse.viewWidth, 640);
    EXPECT_EQ(mouse.viewHeight, 448);
  }

  // Once a report has been due and the client's thread has gone round its
  // loop after that, a pending movement in mode 0 would have gone out.
  client.SetMouseMode(0);
  const std::size_t before = mice.size();
  report.Record({MouseReport::kRight, 1, 1, 640, 448});
  const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(NetClient::kMouseIntervalMs);
  std::optional<std::uint64_t> passesWhenDue;
  ASSERT_TRUE(WaitUntil([&] {
    if (std::chrono::steady_clock::now() < due) return false;
    if (!passesWhenDue) passesWhenDue = client.receivePasses();
    return client.receivePasses() >= *passesWhenDue + 2;
  }));
  // Anything the client sent before this key reaches the DVR before it.
  ASSERT_EQ(client.SendKey(0x01), 1);
  ASSERT_TRUE(simulator->WaitFor([](const DvrSimulator::Log& log) { return log.keys.size() == 1; }, 10s));
  EXPECT_EQ(simulator->log().mice.size(), before) << "mode 0 sends no mouse commands";
  client.Stop();
}

TEST(TcpSocketSend, WritingToAPeerThatHasGoneIsAFailedSendNotTheEndOfTheProcess) {
  // The default action of SIGPIPE would end this test process.
  ASSERT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
  TcpSocket listener;
  std::string error;
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0, error));
  Event never;
  TcpSocket client;
  ASSERT_EQ(client.Connect("127.0.0.1", listener.LocalPort(), 1s, never, error), SocketWait::kReady);
  ASSERT_TRUE(WaitUntil([&] {
    TcpSocket peer = listener.Accept();
    return peer.valid();  // closed at once
  }));
  const Bytes message(1024, 0x42);
  // The first sends may still be taken before the peer's reset arrives.
  EXPECT_TRUE(WaitUntil([&] { return !client.SendAll(message); }));
}

}  // namespace
}  // namespace tavrix
