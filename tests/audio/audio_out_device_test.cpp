// AudioOut on the real SDL2 device, headless: the dummy driver consumes at
// real time, the disk driver also writes what it plays to a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "audio/g711.h"
#include "tests/support/wait_until.h"

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Only a guard against hanging: real-time playback of what the tests write
// takes well under a second.
constexpr auto kGiveUpAfter = 10s;

void UseDriver(const char* driver) { ::setenv("SDL_AUDIODRIVER", driver, 1); }

WaveFormat ALawPcm() {
  WaveFormat format;
  AudioDecoder().Configure(AudioFormat::QM_ALAW, 8000, &format);
  return format;
}

// Services the output until the device has played `position` bytes.
bool PlayUntil(AudioOut& out, std::uint64_t position) {
  const auto deadline = std::chrono::steady_clock::now() + kGiveUpAfter;
  while (out.PlayPosition() < position) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    out.Service();
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

TEST(AudioOutDevice, DiskDriverCapturesExactlyTheDecodedALawBlock) {
  const auto capture = std::filesystem::temp_directory_path() /
                       ("tavrix-audio-capture-" + std::to_string(::getpid()) + ".raw");
  UseDriver("disk");
  ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);

  // A 440 Hz tone, 0.2 s, compressed the way the recorder stores it.
  Bytes block(1600);
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = CompressALaw(static_cast<std::int16_t>(12000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 8000)));
  }
  AudioDecoder decoder;
  WaveFormat format;
  decoder.Configure(AudioFormat::QM_ALAW, 8000, &format);
  Bytes expected(2 * block.size());
  std::size_t expectedLength = 0;
  ASSERT_EQ(decoder.Decode(block, expected, expectedLength), 1);

  {
    AudioOut out;
    ASSERT_EQ(out.Open(format), 1);
    ASSERT_EQ(out.Start(), 1);
    ASSERT_TRUE(out.WriteALawWhile(block, {}));
    // Silence after the block carries its last samples past the low-water mark.
    ASSERT_TRUE(out.WriteWhile(Bytes(2 * AudioOut::kLowWater), {}));
    ASSERT_TRUE(PlayUntil(out, expected.size()));
  }  // closing the device closes the capture file

  std::ifstream file(capture, std::ios::binary);
  const Bytes captured{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::filesystem::remove(capture);
  ASSERT_GE(captured.size(), expected.size());
  // Silence may come first (the device is paused until enough is queued).
  const auto found = std::search(captured.begin(), captured.end(), expected.begin(), expected.end());
  ASSERT_NE(found, captured.end()) << "the block was not played intact";
  EXPECT_EQ((found - captured.begin()) % 2, 0);
}

std::uintmax_t SizeOf(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return error ? 0 : size;
}

TEST(AudioOutDevice, ThePlayPositionStandsWhileTheDeviceIsPaused) {
  // The disk driver goes on writing a period of silence for every period it
  // spends paused: the capture file counts the device's periods.
  const auto capture = std::filesystem::temp_directory_path() /
                       ("tavrix-audio-paused-" + std::to_string(::getpid()) + ".raw");
  UseDriver("disk");
  ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  {
    AudioOut out;
    ASSERT_EQ(out.Open(ALawPcm()), 1);
    ASSERT_EQ(out.Start(), 1);
    EXPECT_TRUE(out.IsPaused());
    ASSERT_EQ(out.Write(Bytes(4000).data(), 4000), 1);
    out.Service();
    EXPECT_FALSE(out.IsPaused());
    // Let the device overtake the writer: Service must pause it and move the
    // writer up to where it stopped.
    ASSERT_TRUE(testing::WaitUntil([&] { return out.PlayPosition() >= 4000; }, kGiveUpAfter));
    out.Service();
    EXPECT_TRUE(out.IsPaused());
    const std::uint64_t stopped = out.PlayPosition();
    EXPECT_EQ(out.Written(), stopped & ~std::uint64_t{1});

    // The file is written through a stdio buffer of at most one page, so
    // growth beyond a page after the pause is silence of later periods.
    constexpr std::uintmax_t kUnflushed = 4096;
    constexpr std::uintmax_t kPeriodBytes = 256 * 2;
    const std::uintmax_t sizeAtPause = SizeOf(capture);
    ASSERT_TRUE(testing::WaitUntil([&] { return SizeOf(capture) >= sizeAtPause + kUnflushed + 3 * kPeriodBytes; },
                                   kGiveUpAfter));
    EXPECT_EQ(out.PlayPosition(), stopped) << "three periods passed while paused";
  }
  std::filesystem::remove(capture);
}

TEST(AudioOutDevice, VolumeAndMuteMayChangeWhileAnotherThreadWrites) {
  UseDriver("dummy");
  AudioOut out;
  ASSERT_EQ(out.Open(ALawPcm()), 1);
  ASSERT_EQ(out.Start(), 1);
  std::atomic<bool> running{true};
  std::atomic<bool> written{false};
  std::thread writer([&] {
    written = out.WriteWhile(Bytes(12000, 0x11), [&] { return running.load(); }) &&
              out.WriteWhile(Bytes(2 * AudioOut::kLowWater), [&] { return running.load(); });
  });
  for (std::uint32_t level = 0; level < 0x10000 && !written; level += 0x100) {
    out.SetVolume(level);
    out.SetMute((level & 0x100) != 0);
    EXPECT_EQ(out.GetVolume(), level);
    std::this_thread::sleep_for(1ms);
  }
  const bool finished = PlayUntil(out, 12000);
  running = false;
  writer.join();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(written);
}

TEST(AudioOutDevice, AnotherOutputComingAndGoingLeavesTheFirstPlaying) {
  UseDriver("dummy");
  AudioOut first;
  ASSERT_EQ(first.Open(ALawPcm()), 1);
  {
    // The dummy driver has a single output device, so this open is refused;
    // on a sound server it succeeds. Either way, closing it must not shut
    // the audio subsystem under the first output.
    std::vector<std::string> reports;
    AudioOut second([&](const std::string& message) { reports.push_back(message); });
    const int opened = second.Open(ALawPcm());
    EXPECT_EQ(reports.size(), opened ? 0u : 1u);
  }
  ASSERT_EQ(first.Start(), 1);
  ASSERT_EQ(first.Write(Bytes(3000).data(), 3000), 1);
  EXPECT_TRUE(PlayUntil(first, 2000));
}

TEST(AudioOutDevice, MissingSoundSystemIsReportedOnceAndPlaybackGoesOnSilently) {
  UseDriver("no-such-driver");
  std::vector<std::string> reports;
  AudioOut out([&](const std::string& message) { reports.push_back(message); });
  EXPECT_EQ(out.Open(ALawPcm()), 0);
  EXPECT_EQ(out.Open(ALawPcm()), 0);
  EXPECT_EQ(reports, std::vector<std::string>{"Sound device open error !"});
  EXPECT_EQ(out.Start(), 1);
  EXPECT_EQ(out.Write(Bytes(10000).data(), 10000), 1);
  EXPECT_TRUE(out.WriteALawWhile(Bytes(10000), {}));

  // A device that appears later is used, and a later failure is reported again.
  UseDriver("dummy");
  EXPECT_EQ(out.Open(ALawPcm()), 1);
  UseDriver("no-such-driver");
  EXPECT_EQ(out.Open(ALawPcm()), 0);
  EXPECT_EQ(reports.size(), 2u);
}

}  // namespace
}  // namespace tavrix
