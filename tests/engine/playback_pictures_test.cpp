#include <gtest/gtest.h>

#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::PlayerUnderTest;
using testing::WaitUntil;

constexpr int kQmt3 = 5;

TEST(DualPictures, EachHalfGoesToItsChannelUnlessMarkedEmpty) {
  EngineRecording recording(kQmt3);
  recording.AddDual(0, 1, false, false);
  recording.AddDual(2, 3, false, true);   // right half empty: only channel 2
  recording.AddDual(1, 3, true, true);    // nothing to show
  recording.AddDual(0, 3, true, false);   // left half empty: only channel 3
  recording.AddVideo(2, true);            // a single picture of the same format
  const auto file = recording.Write();

  PlayerUnderTest player(static_cast<FormatVariant>(kQmt3));
  ASSERT_TRUE(player.created);
  ASSERT_TRUE(player.engine->OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return player.engine->GetState() == PlaybackState::Paused; }));

  const std::uint64_t expectedCounts[] = {1, 1, 2, 1};
  for (int channel = 0; channel < 4; ++channel) {
    EXPECT_EQ(player.view.ShownCount(channel), expectedCounts[channel]) << channel;
  }
  const auto frames = recording.VideoFrames();  // the halves in the order they are shown
  ASSERT_EQ(frames.size(), 5u);
  const auto left0 = player.view.CopyPicture(0);
  EXPECT_EQ(left0.width, 320);
  EXPECT_EQ(left0.height, 224);
  EXPECT_EQ(left0.bytes, frames[0].picture);
  EXPECT_EQ(player.view.CopyPicture(1).bytes, frames[1].picture);
  const auto right3 = player.view.CopyPicture(3);
  EXPECT_EQ(right3.width, 320);
  EXPECT_EQ(right3.bytes, frames[3].picture);
  const auto single2 = player.view.CopyPicture(2);
  EXPECT_EQ(single2.width, 640);
  EXPECT_EQ(single2.bytes, frames[4].picture);
}

TEST(DualPictures, StepPassesOverAPictureWithBothHalvesEmpty) {
  EngineRecording recording(kQmt3);
  recording.AddDual(0, 1, false, false);
  recording.AddDual(0, 1, true, true);
  recording.AddDual(2, 3, false, true);
  const auto file = recording.Write();

  PlayerUnderTest player(static_cast<FormatVariant>(kQmt3));
  ASSERT_TRUE(player.engine->OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return player.engine->GetState() == PlaybackState::Forward; }));
  player.engine->Pause();
  ASSERT_TRUE(WaitUntil([&] { return player.engine->GetState() == PlaybackState::Paused; }));
  const std::uint64_t before = player.view.ShownCount(2);
  player.engine->Seek(0);
  ASSERT_TRUE(WaitUntil([&] { return player.view.ShownCount(0) > 0 && player.engine->GetState() == PlaybackState::Paused; }));
  player.engine->StepForward();
  ASSERT_TRUE(WaitUntil([&] { return player.view.ShownCount(2) == before + 1; }));
  EXPECT_TRUE(WaitUntil([&] { return player.engine->GetState() == PlaybackState::Paused; }));
}

}  // namespace
}  // namespace tavrix
