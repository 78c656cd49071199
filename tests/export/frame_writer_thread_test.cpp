#include "export/frame_writer_thread.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrix {
namespace {

using Kind = FrameWriterThread::Kind;

constexpr std::size_t kFrameBytes = 4096;

std::vector<std::uint8_t> Frame(int number) {
  std::vector<std::uint8_t> frame(kFrameBytes, static_cast<std::uint8_t>(number));
  frame.back() = static_cast<std::uint8_t>(number * 7);
  return frame;
}

struct Written {
  Kind kind;
  std::size_t length;
  int number;
};

// Every third item is sound of its own length: the writer gets both kinds
// whole and in the order they were pushed.
TEST(FrameWriterThread, WritesPicturesAndSoundWholeAndInOrder) {
  std::vector<Written> written;
  bool intact = true;
  FrameWriterThread writer(kFrameBytes, 3, [&](Kind kind, const std::uint8_t* bytes, std::size_t length) {
    written.push_back({kind, length, bytes[0]});
    intact = intact && bytes[length - 1] == static_cast<std::uint8_t>(bytes[0] * 7) && bytes[length / 2] == bytes[0];
    return true;
  });
  for (int i = 0; i < 200; ++i) {
    std::vector<std::uint8_t> item = Frame(i);
    if (i % 3 == 2) {
      item.resize(100 + i);
      item.back() = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_TRUE(writer.Push(i % 3 == 2 ? Kind::kSound : Kind::kPicture, item.data(), item.size()));
  }
  ASSERT_TRUE(writer.Finish());
  ASSERT_EQ(written.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(written[i].number, static_cast<std::uint8_t>(i));
    EXPECT_EQ(written[i].kind, i % 3 == 2 ? Kind::kSound : Kind::kPicture);
    EXPECT_EQ(written[i].length, i % 3 == 2 ? std::size_t(100 + i) : kFrameBytes);
  }
  EXPECT_TRUE(intact) << "a slot was overwritten while it was being written";
  EXPECT_FALSE(writer.Push(Kind::kPicture, Frame(0).data(), kFrameBytes)) << "nothing is taken after Finish";
}

TEST(FrameWriterThread, FailedWriteRefusesTheRestWithoutHanging) {
  int calls = 0;
  FrameWriterThread writer(kFrameBytes, 2, [&](Kind, const std::uint8_t*, std::size_t) { return ++calls < 5; });
  int accepted = 0;
  for (int i = 0; i < 100; ++i) {
    if (writer.Push(Kind::kPicture, Frame(i).data(), kFrameBytes)) ++accepted;
  }
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(calls, 5) << "no write after the failed one";
  EXPECT_GE(accepted, 5);
  EXPECT_LT(accepted, 100);
}

TEST(FrameWriterThread, RefusesMoreThanASlotHolds) {
  int calls = 0;
  FrameWriterThread writer(kFrameBytes, 3, [&](Kind, const std::uint8_t*, std::size_t) { return ++calls > 0; });
  const std::vector<std::uint8_t> tooLong(kFrameBytes + 1);
  EXPECT_FALSE(writer.Push(Kind::kSound, tooLong.data(), tooLong.size()));
  EXPECT_TRUE(writer.Push(Kind::kPicture, Frame(1).data(), kFrameBytes));
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(calls, 1);
}

TEST(FrameWriterThread, EndsCleanlyWithNothingQueued) {
  int calls = 0;
  {
    FrameWriterThread writer(kFrameBytes, 3, [&](Kind, const std::uint8_t*, std::size_t) { return ++calls > 0; });
  }
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tavrix
