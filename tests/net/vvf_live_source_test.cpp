#include "net/vvf_live_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "net/network_layout.h"
#include "storage/vvf_writer.h"

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A QM_QMN frame: start code, header byte A, picture number, a slice of filler.
Bytes NetworkFrame(std::uint8_t a, std::uint16_t number, std::uint8_t fill) {
  Bytes frame = {0x00, 0x00, 0x01, 0xF8, a, static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number),
                 0x00, 0x00, 0x01, 0x01};
  frame.resize(frame.size() + 50, fill);
  return frame;
}

TEST(NetworkLayout, RewritesEachStoredLayoutsHeader) {
  // Bytes 5 on: any header bytes, then the slices from their start code.
  const Bytes slices = {0x00, 0x00, 0x01, 0x01, 0x11};
  const auto frame = [&](Bytes header) {
    header.insert(header.end(), slices.begin(), slices.end());
    return header;
  };
  const struct {
    const char* name;
    int variant;
    Bytes stored;
    Bytes network;
  } cases[] = {
      {"QM_QMT2 full, scale 5", 4, frame({0, 0, 1, 0xF9, 0x53}), frame({0, 0, 1, 0xF9, 0xA8, 0x01, 0x02})},
      {"QM_QMT2 update, scale 3", 4, frame({0, 0, 1, 0xF8, 0x30}), frame({0, 0, 1, 0xF8, 0x18, 0x01, 0x02})},
      {"QM_QMT2 recorded from the network", 4, frame({0, 0, 1, 0xF9, 0x30, 0x00, 0x07}),
       frame({0, 0, 1, 0xF9, 0x98, 0x01, 0x02})},
      {"QM_QM4, channel 5", 0, frame({0, 0, 1, 0xF8, 0x9D}), frame({0, 0, 1, 0xF8, 0x98, 0x01, 0x02})},
      {"QM_QMT3", 5, frame({0, 0, 1, 0xF9, 0x21, 0x8A}), frame({0, 0, 1, 0xF9, 0x90, 0x01, 0x02})},
      {"QM_QMN", 2, frame({0, 0, 1, 0xF8, 0x98, 0x00, 0x00}), frame({0, 0, 1, 0xF8, 0x98, 0x01, 0x02})},
  };
  for (const auto& c : cases) {
    Bytes out;
    EXPECT_TRUE(ToNetworkLayout(c.stored.data(), c.stored.size(), c.variant, 0x0102, out));
    EXPECT_EQ(out, c.network) << c.name;
  }
  const Bytes noSlice = {0, 0, 1, 0xF8, 0x30, 0x11, 0x22, 0x33};
  Bytes out = {1};
  EXPECT_FALSE(ToNetworkLayout(noSlice.data(), noSlice.size(), 4, 0, out));
  EXPECT_TRUE(out.empty());
}

TEST(VvfLiveSource, ServesARecordingAsTheStreamItWasRecordedFrom) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tavrix-live-" + std::to_string(::getpid()) + ".VVF")).string();
  const std::vector<Bytes> frames = {NetworkFrame(0x98, 0, 0x41), NetworkFrame(0x18, 1, 0x42),
                                     NetworkFrame(0x18, 2, 0x43), NetworkFrame(0x98, 3, 0x44)};
  const Bytes sound(120, 0xD5);
  {
    VvfWriter writer;
    writer.Init(2, FormatVariant::QM_QMT2, 4);
    ASSERT_TRUE(writer.Start(path));
    for (const Bytes& frame : frames) {
      Bytes copy = frame;
      ASSERT_TRUE(writer.WriteVideo(copy.data(), copy.size()));
      ASSERT_TRUE(writer.WriteAudio(sound.data(), sound.size()));
    }
    ASSERT_TRUE(writer.Stop());
  }

  VvfLiveSource source;
  std::string error;
  ASSERT_TRUE(source.Open(path, FormatVariant::QM_QMT2, 0, false, error)) << error;
  LiveElement element;
  std::vector<Bytes> video;
  int audio = 0;
  while (source.Next(element)) {
    if (element.kind == LiveElement::Kind::kVideo) {
      video.push_back(element.bytes);
    } else {
      EXPECT_EQ(element.bytes, sound);
      ++audio;
    }
  }
  std::filesystem::remove(path);
  // The recorder made every frame's start code F9 or F8 by its flag; the
  // headers come back as they were sent, the last frame has no end in the file.
  ASSERT_EQ(video.size(), 4u);
  for (std::size_t i = 0; i < video.size(); ++i) {
    Bytes expected = frames[i];
    expected[3] = (expected[4] & 0x80) ? 0xF9 : 0xF8;
    EXPECT_EQ(video[i], expected) << "frame " << i;
  }
  EXPECT_GE(audio, 3);

  EXPECT_FALSE(source.Open(path, FormatVariant::QM_QMT2, 0, false, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tavrix
