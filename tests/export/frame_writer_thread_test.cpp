#include "cli/frame_writer_thread.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrix {
namespace {

constexpr std::size_t kFrameBytes = 4096;

std::vector<std::uint8_t> Frame(int number) {
  std::vector<std::uint8_t> frame(kFrameBytes, static_cast<std::uint8_t>(number));
  frame.back() = static_cast<std::uint8_t>(number * 7);
  return frame;
}

TEST(FrameWriterThread, WritesEveryFrameWholeAndInOrder) {
  std::vector<int> written;
  bool intact = true;
  FrameWriterThread writer(kFrameBytes, 3, [&](const std::uint8_t* frame) {
    written.push_back(frame[0]);
    intact = intact && frame[kFrameBytes - 1] == static_cast<std::uint8_t>(frame[0] * 7) &&
             frame[kFrameBytes / 2] == frame[0];
    return true;
  });
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(writer.Push(Frame(i).data()));
  ASSERT_TRUE(writer.Finish());
  ASSERT_EQ(written.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(written[i], static_cast<std::uint8_t>(i));
  EXPECT_TRUE(intact) << "a slot was overwritten while it was being written";
  EXPECT_FALSE(writer.Push(Frame(0).data())) << "nothing is taken after Finish";
}

TEST(FrameWriterThread, FailedWriteRefusesTheRestWithoutHanging) {
  int calls = 0;
  FrameWriterThread writer(kFrameBytes, 2, [&](const std::uint8_t*) { return ++calls < 5; });
  int accepted = 0;
  for (int i = 0; i < 100; ++i) {
    if (writer.Push(Frame(i).data())) ++accepted;
  }
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(calls, 5) << "no write after the failed one";
  EXPECT_GE(accepted, 5);
  EXPECT_LT(accepted, 100);
}

TEST(FrameWriterThread, EndsCleanlyWithNothingQueued) {
  int calls = 0;
  {
    FrameWriterThread writer(kFrameBytes, 3, [&](const std::uint8_t*) { return ++calls > 0; });
  }
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tavrix
