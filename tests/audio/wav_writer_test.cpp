#include "audio/wav_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

class WavWriterTest : public ::testing::Test {
 protected:
  static WaveFormat Format(AudioFormat code) {
    WaveFormat format;
    AudioDecoder().Configure(code, 8000, &format);
    return format;
  }

  std::ptrdiff_t Entries() const { return std::distance(fs::directory_iterator(directory_), fs::directory_iterator()); }

  testing::TempDirectory temporary_;
  fs::path directory_{temporary_.path()};
};

TEST_F(WavWriterTest, WritesACompleteHeaderAndTheSamples) {
  const fs::path path = directory_ / "out.wav";
  WavWriter wav;
  ASSERT_TRUE(wav.Open(path, Format(AudioFormat::QM_ALAW)));
  EXPECT_FALSE(fs::exists(path));  // only a temporary file exists while writing
  ASSERT_TRUE(wav.Append(Bytes{1, 2, 3, 4}));
  ASSERT_TRUE(wav.Append(Bytes{5, 6}));
  ASSERT_TRUE(wav.Finish());
  EXPECT_EQ(Entries(), 1) << "no temporary file stays behind";

  const Bytes expected = {'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E',
                          'f', 'm', 't', ' ', 16, 0, 0, 0,
                          1, 0,                    // PCM
                          1, 0,                    // mono
                          0x40, 0x1F, 0, 0,        // 8000 Hz
                          0x80, 0x3E, 0, 0,        // 16000 bytes per second
                          2, 0, 16, 0,             // block align, bits
                          'd', 'a', 't', 'a', 6, 0, 0, 0,
                          1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(wav.dataBytes(), 6u);
}

TEST_F(WavWriterTest, OddEightBitDataIsPaddedAndCountedInTheRiffSize) {
  const fs::path path = directory_ / "odd.wav";
  WavWriter wav;
  ASSERT_TRUE(wav.Open(path, Format(AudioFormat::QM_UPCM8)));
  ASSERT_TRUE(wav.Append(Bytes{0x80, 0x81, 0x82}));
  ASSERT_TRUE(wav.Finish());
  const Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), 44u + 4u);
  EXPECT_EQ(U32At(file, 4), file.size() - 8);
  EXPECT_EQ(U32At(file, 40), 3u);
  EXPECT_EQ(file.back(), 0);
}

TEST_F(WavWriterTest, AnUnfinishedFileNeverReplacesTheOneThere) {
  const fs::path path = directory_ / "keep.wav";
  std::ofstream(path) << "earlier result";
  {
    WavWriter wav;
    ASSERT_TRUE(wav.Open(path, Format(AudioFormat::QM_ALAW)));
    ASSERT_TRUE(wav.Append(Bytes(1000, 7)));
  }  // abandoned: the source failed half-way, say
  EXPECT_EQ(Entries(), 1) << "no temporary file stays behind";
  const Bytes kept = ReadFile(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier result");
}

TEST_F(WavWriterTest, AnUnwritablePathFailsWithOneLine) {
  const fs::path path = directory_ / "missing" / "out.wav";
  WavWriter wav;
  EXPECT_FALSE(wav.Open(path, Format(AudioFormat::QM_ALAW)));
  EXPECT_NE(wav.error().find(path.string()), std::string::npos) << wav.error();
  EXPECT_NE(wav.error().find("No such file or directory"), std::string::npos) << wav.error();
  EXPECT_EQ(wav.error().find('\n'), std::string::npos);
  EXPECT_FALSE(wav.Append(Bytes{1, 2}));
  EXPECT_FALSE(wav.Finish());
  EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace tavrix
