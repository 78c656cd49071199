// Ring arithmetic of AudioOut against a device that plays only when the test
// pulls, so every byte the "sound card" outputs can be checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "audio/g711.h"
#include "platform/event.h"
#include "tests/support/manual_audio_device.h"

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ManualAudioDevice;

WaveFormat Pcm16() {
  WaveFormat format;
  AudioDecoder().Configure(AudioFormat::QM_ALAW, 8000, &format);
  return format;
}

// Bytes that differ from their neighbours and from silence, so a misplaced
// copy shows.
Bytes Pattern(std::size_t length, std::uint8_t seed) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + i / 251 + 1);
  return bytes;
}

Bytes Samples(std::initializer_list<std::int16_t> values) {
  Bytes bytes;
  for (const std::int16_t value : values) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8));
  }
  return bytes;
}

std::int16_t SampleAt(const Bytes& bytes, std::size_t index) {
  return static_cast<std::int16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

class AudioOutRing : public ::testing::Test {
 protected:
  explicit AudioOutRing(bool devicePresent = true) {
    auto device = std::make_unique<ManualAudioDevice>(devicePresent);
    device_ = device.get();
    out_ = std::make_unique<AudioOut>([this](const std::string& message) { reports_.push_back(message); },
                                      std::move(device));
  }

  void OpenAndStart() {
    ASSERT_EQ(out_->Open(Pcm16()), 1);
    ASSERT_EQ(out_->Start(), 1);
  }

  int Write(const Bytes& bytes) { return out_->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size())); }

  ManualAudioDevice* device_;
  std::unique_ptr<AudioOut> out_;
  std::vector<std::string> reports_;
};

TEST_F(AudioOutRing, RefusesAWriteThatWouldEatTheSafetyMargin) {
  struct Case {
    bool aLaw;
    std::uint32_t refused;   // input bytes
    std::uint32_t accepted;
  };
  // 7000 queued: 200 more bytes of PCM (or 100 A-law bytes, 200 of PCM) leave
  // less than 1024 free; 168 (84) fill the ring to exactly 1024 free.
  for (const Case c : {Case{false, 200, 168}, Case{true, 100, 84}}) {
    SCOPED_TRACE(c.aLaw ? "WriteALaw" : "Write");
    OpenAndStart();
    ASSERT_EQ(Write(Pattern(7000, 1)), 1);
    const Bytes more = Pattern(c.refused, 2);
    const auto write = [&](std::uint32_t length) {
      return c.aLaw ? out_->WriteALaw(more.data(), length) : out_->Write(more.data(), length);
    };
    EXPECT_EQ(write(c.refused), 0);
    EXPECT_EQ(out_->Queued(), 7000u);
    EXPECT_EQ(out_->Written(), 7000u);
    EXPECT_EQ(write(c.accepted), 1);
    EXPECT_EQ(out_->Written(), 7168u);
    EXPECT_EQ(write(1), 0);
  }
}

TEST_F(AudioOutRing, DevicePlaysWhatWasWrittenAcrossTheEndOfTheRing) {
  OpenAndStart();
  const Bytes first = Pattern(6000, 10);
  const Bytes second = Pattern(4000, 20);  // 6000 + 4000 crosses 8192
  ASSERT_EQ(Write(first), 1);
  out_->Service();
  EXPECT_EQ(device_->Pull(first.size()), first);
  ASSERT_EQ(Write(second), 1);
  out_->Service();
  EXPECT_EQ(device_->Pull(second.size()), second);
  EXPECT_EQ(out_->PlayPosition(), 10000u);
}

TEST_F(AudioOutRing, ALawIsExpandedIntoTheRing) {
  OpenAndStart();
  Bytes alaw(3000);
  for (std::size_t i = 0; i < alaw.size(); ++i) alaw[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(Write(Pattern(5000, 3)), 1);  // the A-law block then wraps
  out_->Service();
  device_->Pull(5000);
  ASSERT_EQ(out_->WriteALaw(alaw.data(), static_cast<std::uint32_t>(alaw.size())), 1);
  out_->Service();
  const Bytes played = device_->Pull(2 * alaw.size());
  ASSERT_EQ(played.size(), 2 * alaw.size());
  for (std::size_t i = 0; i < alaw.size(); ++i) ASSERT_EQ(SampleAt(played, i), ExpandALaw(alaw[i])) << i;
}

TEST_F(AudioOutRing, AfterAnUnderrunNewSamplesLandWhereTheDevicePlaysNext) {
  // The device overtakes the writer (plays 3000 of 2000 written). Whether the
  // overtaking is noticed by Service or by the next Write, the next block must
  // be the very next thing heard.
  for (const bool noticedByService : {true, false}) {
    SCOPED_TRACE(noticedByService ? "Service" : "Write");
    OpenAndStart();
    ASSERT_EQ(Write(Pattern(2000, 1)), 1);
    out_->Service();
    ASSERT_EQ(device_->Pull(3000).size(), 3000u);
    if (noticedByService) {
      out_->Service();
      EXPECT_EQ(out_->Written(), 3000u);
      EXPECT_EQ(out_->Queued(), 0u);
      EXPECT_TRUE(out_->IsPaused());
    }
    const Bytes next = Pattern(2048, 7);
    ASSERT_EQ(Write(next), 1);
    EXPECT_EQ(out_->Written(), 3000u + next.size());
    out_->Service();
    EXPECT_EQ(device_->Pull(next.size()), next);
  }
}

TEST_F(AudioOutRing, ServicePausesBelowTheLowWaterMarkAndRestartsAtIt) {
  OpenAndStart();
  EXPECT_TRUE(device_->paused());  // Start waits for enough sound
  ASSERT_EQ(Write(Pattern(1022, 1)), 1);
  out_->Service();
  EXPECT_TRUE(device_->paused());
  EXPECT_TRUE(device_->Pull(2).empty());
  ASSERT_EQ(Write(Pattern(2, 2)), 1);
  out_->Service();
  EXPECT_FALSE(device_->paused());
  EXPECT_FALSE(out_->IsPaused());
  ASSERT_EQ(device_->Pull(2).size(), 2u);
  out_->Service();
  EXPECT_TRUE(device_->paused());
  EXPECT_EQ(out_->Queued(), 1022u);
}

TEST_F(AudioOutRing, VolumeWordAndMuteScaleTheSamples) {
  OpenAndStart();
  EXPECT_EQ(out_->GetVolume(), 0u);
  EXPECT_EQ(out_->DeviceVolume(), AudioOut::kFullVolume);  // the device's own until set

  struct Case {
    std::uint32_t level;
    std::uint32_t word;
    std::uint32_t stored;
  };
  for (const Case c : {Case{0x8000, 0x80008000, 0x8000}, Case{0x12345, 0x23452345, 0x2345},
                       Case{0xFFFF, 0xFFFFFFFF, 0xFFFF}, Case{0, 0, 0}}) {
    out_->SetVolume(c.level);
    EXPECT_EQ(out_->DeviceVolume(), c.word) << std::hex << c.level;
    EXPECT_EQ(out_->GetVolume(), c.stored) << std::hex << c.level;
  }

  const Bytes loud = Samples({1000, -1000, 32767, -32768});
  const auto play = [&] {
    Bytes block = loud;
    block.resize(1024);
    EXPECT_EQ(Write(block), 1);
    out_->Service();
    Bytes played = device_->Pull(loud.size());
    out_->Silence();  // drop the rest so every round starts alike
    return played;
  };

  out_->SetVolume(0x8000);
  Bytes played = play();
  EXPECT_EQ(played, Samples({500, -500, 16383, -16384}));

  out_->SetMute(true);
  EXPECT_TRUE(out_->GetMute());
  EXPECT_EQ(out_->DeviceVolume(), 0u);
  out_->SetVolume(0x4000);  // stored, but the device stays silent
  EXPECT_EQ(out_->GetVolume(), 0x4000u);
  EXPECT_EQ(out_->DeviceVolume(), 0u);
  EXPECT_EQ(play(), Samples({0, 0, 0, 0}));

  out_->SetMute(false);
  EXPECT_EQ(out_->DeviceVolume(), 0x40004000u);
  EXPECT_EQ(play(), Samples({250, -250, 8191, -8192}));
}

TEST_F(AudioOutRing, NothingQueuedPlaysAgainAfterSilenceOrANewStart) {
  // A thread that ends leaves sound in the looping ring; it must never be
  // heard again, whether the owner silences the output or simply starts anew.
  for (const bool silenceFirst : {true, false}) {
    SCOPED_TRACE(silenceFirst ? "Silence then Start" : "Start only");
    OpenAndStart();
    ASSERT_EQ(Write(Pattern(6000, 1)), 1);
    out_->Service();
    ASSERT_EQ(device_->Pull(1000).size(), 1000u);
    if (silenceFirst) {
      out_->Silence();
      EXPECT_TRUE(device_->paused());
      EXPECT_EQ(out_->Queued(), 0u);
      EXPECT_TRUE(device_->Pull(2).empty());
    }
    ASSERT_EQ(out_->Start(), 1);
    EXPECT_TRUE(device_->paused());

    const Bytes fresh = Pattern(1024, 9);
    ASSERT_EQ(Write(fresh), 1);
    out_->Service();
    const Bytes played = device_->Pull(AudioOut::kRingSize);
    ASSERT_EQ(played.size(), AudioOut::kRingSize);
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + fresh.size(), played.end(), [](auto b) { return b == 0; }));
  }
}

TEST_F(AudioOutRing, EightBitSilenceIsTheMidpoint) {
  WaveFormat format;
  AudioDecoder().Configure(AudioFormat::QM_UPCM8, 8000, &format);
  ASSERT_EQ(out_->Open(format), 1);
  ASSERT_EQ(out_->Start(), 1);
  ASSERT_EQ(Write(Bytes(1024, 0xC0)), 1);
  out_->SetVolume(0x8000);
  out_->Service();
  const Bytes played = device_->Pull(2048);
  ASSERT_EQ(played.size(), 2048u);
  EXPECT_EQ(played[0], 0xA0);    // 0x40 above the midpoint, halved
  EXPECT_EQ(played[1500], 0x80);  // the cleared ring
}

TEST_F(AudioOutRing, WaitingWriteTakesABlockLargerThanTheRingInPieces) {
  OpenAndStart();
  const Bytes block = Pattern(20000, 5);
  Bytes heard;
  std::thread card([&] {
    // A well-behaved sound card: it plays only what lies ahead of it.
    while (heard.size() < block.size()) {
      if (out_->Written() >= out_->PlayPosition() + 512) {
        const Bytes piece = device_->Pull(512);
        heard.insert(heard.end(), piece.begin(), piece.end());
      } else {
        std::this_thread::yield();
      }
    }
  });
  EXPECT_TRUE(out_->WriteWhile(block, [] { return true; }));
  // The last bytes of the block play only once more sound follows them.
  EXPECT_TRUE(out_->WriteWhile(Bytes(AudioOut::kLowWater), {}));
  card.join();
  ASSERT_GE(heard.size(), block.size());  // the card plays in 512-byte periods
  heard.resize(block.size());
  EXPECT_EQ(heard, block);
}

TEST_F(AudioOutRing, WaitingWriteGivesUpOnTheStopEventOrTheRunningFlag) {
  // Nothing plays, so the ring never empties: only the stop signal can end
  // the write, from whichever thread sets it.
  for (const bool useEvent : {true, false}) {
    SCOPED_TRACE(useEvent ? "stop event" : "running flag");
    OpenAndStart();
    Event stop;
    std::atomic<bool> running{true};
    std::atomic<int> attempts{0};
    std::thread stopper([&] {
      while (attempts.load() < 3) std::this_thread::yield();
      if (useEvent) {
        stop.Set();
      } else {
        running = false;
      }
    });
    const bool written = out_->WriteWhile(Pattern(20000, 1), [&] {
      ++attempts;
      return running.load();
    }, &stop);
    stopper.join();
    EXPECT_FALSE(written);
    EXPECT_EQ(out_->Written(), AudioOut::kRingSize - AudioOut::kLowWater);
  }
}

TEST_F(AudioOutRing, WaitingWriteBeforeStartEndsWhenTheRingIsFull) {
  ASSERT_EQ(out_->Open(Pcm16()), 1);  // no Start: nothing will ever play
  EXPECT_FALSE(out_->WriteWhile(Pattern(20000, 1), {}));
  EXPECT_EQ(out_->Written(), AudioOut::kRingSize - AudioOut::kLowWater);
}

class AudioOutWithoutDevice : public AudioOutRing {
 protected:
  AudioOutWithoutDevice() : AudioOutRing(false) {}
};

TEST_F(AudioOutWithoutDevice, ReportsOnceAndAcceptsEverythingSilently) {
  EXPECT_EQ(out_->Open(Pcm16()), 0);
  EXPECT_EQ(out_->Open(Pcm16()), 0);
  EXPECT_EQ(reports_, std::vector<std::string>{"Sound device open error !"});
  EXPECT_FALSE(out_->IsDeviceOpen());

  EXPECT_EQ(out_->Start(), 1);
  const Bytes big = Pattern(3 * AudioOut::kRingSize, 1);
  EXPECT_EQ(Write(big), 1);
  EXPECT_EQ(out_->WriteALaw(big.data(), static_cast<std::uint32_t>(big.size())), 1);
  EXPECT_TRUE(out_->WriteWhile(big, [] { return true; }));
  out_->Service();
  out_->Silence();
  EXPECT_EQ(out_->Written(), 0u);
  EXPECT_EQ(out_->PlayPosition(), 0u);

  out_->SetVolume(0x8000);
  out_->SetMute(true);
  EXPECT_EQ(out_->GetVolume(), 0x8000u);
  EXPECT_TRUE(out_->GetMute());
  EXPECT_EQ(out_->DeviceVolume(), AudioOut::kFullVolume);  // no device to set
}

}  // namespace
}  // namespace tavrix
