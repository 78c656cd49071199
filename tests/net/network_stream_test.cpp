#include "engine/network_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "net/frame_queue.h"
#include "net/stream_cutter.h"
#include "storage/vvf_writer.h"
#include "tests/net/net_test_support.h"
#include "tests/support/manual_audio_device.h"

namespace tavrix {
namespace {

using namespace std::chrono_literals;
using testing::WaitUntil;

// The stream loop between two queues the test fills by hand.
struct LoopBench {
  FrameQueue videoQueue{16, FrameRecord::kMaxCapacity};
  FrameQueue audioQueue{16, StreamCutter::kAudioCapacity};
  ChannelDecoder decoder;
  AudioDecoder audioDecoder;
  testing::ManualAudioDevice* device = new testing::ManualAudioDevice();
  AudioOut audioOut{{}, std::unique_ptr<AudioDevice>(device)};
  VvfWriter recorder;
  PlaybackFields fields;
  NetworkStreamThread thread{{videoQueue, audioQueue, decoder, audioDecoder, audioOut, nullptr, recorder, fields}};

  LoopBench() {
    decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
    WaveFormat format;
    audioDecoder.Configure(AudioFormat::QM_ALAW, 8000, &format);
    audioOut.Open(format);
    recorder.Init(2, FormatVariant::QM_QMT2, 4);
  }
};

void Push(FrameQueue& queue, const std::vector<std::uint8_t>& bytes) {
  FrameRecord record(static_cast<std::int32_t>(bytes.size()), FrameRecord::kTransfer);
  std::copy(bytes.begin(), bytes.end(), record.payload());
  record.set_length(static_cast<std::int32_t>(bytes.size()));
  ASSERT_TRUE(queue.Push(record));
}

TEST(NetworkStreamSound, AStalledSoundCardNeitherHangsTheStopNorPlaysOn) {
  LoopBench bench;
  ASSERT_EQ(bench.thread.Start(), 1);
  // Each block expands to 8000 bytes of PCM; the device never plays, so
  // the ring fills during the first block and the loop waits for room.
  for (int i = 0; i < 3; ++i) Push(bench.audioQueue, std::vector<std::uint8_t>(4000, 0xAA));
  ASSERT_TRUE(WaitUntil([&] { return bench.audioQueue.queued() == 2; }));
  ASSERT_TRUE(WaitUntil([&] { return bench.audioOut.Written() > 0; }));

  auto stopped = std::async(std::launch::async, [&] { bench.thread.Stop(); });
  EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready) << "the stop ends the wait for room";
  stopped.wait();
  EXPECT_EQ(bench.audioQueue.queued(), 2);

  // The thread has paused the device and cleared the ring: nothing queued
  // plays again, even when something restarts the device.
  EXPECT_TRUE(bench.device->paused());
  EXPECT_EQ(bench.audioOut.Queued(), 0u);
  bench.device->Resume();
  const auto played = bench.device->Pull(AudioOut::kRingSize);
  ASSERT_EQ(played.size(), AudioOut::kRingSize);
  EXPECT_EQ(std::count(played.begin(), played.end(), 0), static_cast<long>(played.size()));
}

TEST(NetworkStreamVideo, OnlyFramesThatDecodeAreShownAndRecorded) {
  LoopBench bench;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tavrix-stream-" + std::to_string(::getpid()) + ".VVF")).string();
  ASSERT_TRUE(bench.recorder.Start(path));

  VideoEncoder encoder(static_cast<int>(FormatVariant::QM_QMN));
  std::vector<std::uint8_t> picture(PictureBytes(kPictureWidth, kPalHeight));
  std::vector<std::uint8_t> frame;
  // A damaged frame first: its header is fine, its slices are not.
  DrawTestPicture(picture.data(), kPictureWidth, kPalHeight, 0, 0, 0);
  ASSERT_TRUE(encoder.Encode(picture.data(), kPictureWidth, kPalHeight, 0, 4, VideoEncoder::Kind::kFull, frame));
  std::vector<std::uint8_t> damaged(frame.begin(), frame.begin() + 200);
  Push(bench.videoQueue, damaged);
  Push(bench.videoQueue, frame);
  DrawTestPicture(picture.data(), kPictureWidth, kPalHeight, 0, 1, 0);
  ASSERT_TRUE(encoder.Encode(picture.data(), kPictureWidth, kPalHeight, 0, 4, VideoEncoder::Kind::kUpdate, frame));
  Push(bench.videoQueue, frame);

  ASSERT_EQ(bench.thread.Start(), 1);
  EXPECT_TRUE(WaitUntil([&] { return bench.thread.counters().videoFrames == 3; }));
  bench.thread.Stop();
  EXPECT_EQ(bench.thread.counters().decodedFrames, 2u);
  EXPECT_EQ(bench.thread.counters().recordedFrames, 2u);
  EXPECT_EQ(bench.fields.framePeriodUs.load(), 25000) << "a 272-line picture";
  EXPECT_FALSE(bench.recorder.IsRecording());
  const auto& shown = bench.decoder.Picture(0);
  EXPECT_TRUE(std::equal(shown.data(), shown.data() + shown.size(), encoder.Reference(0).data()));
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace tavrix
