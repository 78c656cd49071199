#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <vector>

#include "codec/test_picture.h"
#include "codec/video_decoder.h"
#include "codec/video_encoder.h"

namespace tavrix {
namespace {

// Bytes placed so that the last one is followed by an inaccessible page: any
// read past the end of the frame faults at once, with or without ASan.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t capacity) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    dataPages_ = (capacity + page - 1) / page * page;
    mappedBytes_ = dataPages_ + page;
    void* mapped = mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<std::uint8_t*>(mapped);
    mprotect(base_ + dataPages_, page, PROT_NONE);
  }
  ~GuardedBuffer() { munmap(base_, mappedBytes_); }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  // Copies `bytes` so that they end right at the guard page.
  const std::uint8_t* Place(const std::uint8_t* bytes, std::size_t length) {
    std::uint8_t* start = base_ + dataPages_ - length;
    std::memcpy(start, bytes, length);
    return start;
  }

 private:
  std::uint8_t* base_ = nullptr;
  std::size_t dataPages_ = 0;
  std::size_t mappedBytes_ = 0;
};

std::vector<std::uint8_t> EncodedFrame(VideoEncoder::Kind kind) {
  std::vector<std::uint8_t> source(PictureBytes(640, 224));
  DrawTestPicture(source.data(), 640, 224, 0, 0, 0);
  VideoEncoder encoder;
  std::vector<std::uint8_t> frame;
  if (kind == VideoEncoder::Kind::kUpdate) {
    encoder.Encode(source.data(), 640, 224, 0, 4, VideoEncoder::Kind::kFull, frame);
    DrawTestPicture(source.data(), 640, 224, 0, 9, 1);
  }
  encoder.Encode(source.data(), 640, 224, 0, 4, kind, frame);
  return frame;
}

// Every cut of a frame, ending at the guard page: refused or decoded, never
// a read past the end. A cut within the last slice still has 14 slices, so
// the bit reader runs into the end of the data.
TEST(DamagedFrames, TruncatedFramesNeverReadPastTheirEnd) {
  for (auto kind : {VideoEncoder::Kind::kFull, VideoEncoder::Kind::kUpdate}) {
    const auto frame = EncodedFrame(kind);
    GuardedBuffer guarded(frame.size());
    std::vector<std::uint8_t> picture(PictureBytes(640, 224));
    VideoDecoder decoder;
    decoder.SelectFormat(4);
    int decodable = 0, failedInData = 0;
    const std::size_t step = frame.size() > 4000 ? 7 : 1;
    for (std::size_t length = 1; length <= frame.size(); length += (length > frame.size() - 200 ? 1 : step)) {
      const std::uint8_t* placed = guarded.Place(frame.data(), length);
      const auto size = static_cast<std::uint32_t>(length);
      if (!decoder.ParseHeader(placed, size)) continue;
      ++decodable;
      failedInData += !decoder.Decode(placed, size, picture.data());
    }
    EXPECT_GT(decodable, 0);
    EXPECT_GT(failedInData, 0) << "cuts inside the last slice must fail";
    const std::uint8_t* whole = guarded.Place(frame.data(), frame.size());
    ASSERT_TRUE(decoder.ParseHeader(whole, static_cast<std::uint32_t>(frame.size())));
    EXPECT_TRUE(decoder.Decode(whole, static_cast<std::uint32_t>(frame.size()), picture.data()));
  }
}

// Random damage: flipped bits, overwritten bytes and inserted runs of zeros,
// decoded by both IDCTs. Refusal is fine; a crash, a hang or a write outside
// the picture is not.
TEST(DamagedFrames, RandomDamageIsRefusedOrDecodedInsideThePicture) {
  std::mt19937 random(1234);
  for (auto kind : {VideoEncoder::Kind::kFull, VideoEncoder::Kind::kUpdate}) {
    const auto original = EncodedFrame(kind);
    GuardedBuffer guarded(original.size() + 64);
    for (auto idct : {VideoDecoder::Idct::kPortable, VideoDecoder::Idct::kFastest}) {
      VideoDecoder decoder(idct);
      decoder.SelectFormat(4);
      std::vector<std::uint8_t> picture(PictureBytes(640, 224) + 32, 0xEE);
      for (int trial = 0; trial < 300; ++trial) {
        auto frame = original;
        std::uniform_int_distribution<std::size_t> where(5, frame.size() - 1);
        switch (trial % 3) {
          case 0:
            for (int i = 0; i < 1 + trial % 5; ++i) frame[where(random)] ^= static_cast<std::uint8_t>(1 << (random() % 8));
            break;
          case 1:
            frame[where(random)] = static_cast<std::uint8_t>(random());
            break;
          default:
            frame.insert(frame.begin() + static_cast<long>(where(random)), 1 + trial % 4, 0x00);
            break;
        }
        frame.resize(std::min(frame.size(), original.size() + 64));
        const std::uint8_t* placed = guarded.Place(frame.data(), frame.size());
        const auto size = static_cast<std::uint32_t>(frame.size());
        if (decoder.ParseHeader(placed, size)) decoder.Decode(placed, size, picture.data());
        ASSERT_TRUE(std::all_of(picture.end() - 32, picture.end(), [](std::uint8_t b) { return b == 0xEE; }));
      }
    }
  }
}

}  // namespace
}  // namespace tavrix
