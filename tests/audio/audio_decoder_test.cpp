#include "audio/audio_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/g711.h"

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(AudioDecoder, ConfigureDescribesThePcmOfEachFormat) {
  struct Case {
    AudioFormat format;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint32_t bytesPerSecond;
  };
  for (const Case c : {Case{AudioFormat::QM_UPCM8, 8000, 8, 8000}, Case{AudioFormat::QM_SPCM8, 8000, 8, 8000},
                       Case{AudioFormat::QM_UPCM16, 8000, 16, 16000}, Case{AudioFormat::QM_SPCM16, 11025, 16, 22050},
                       Case{AudioFormat::QM_ALAW, 8000, 16, 16000}, Case{AudioFormat::QM_MLAW, 8000, 16, 16000},
                       Case{static_cast<AudioFormat>(9), 8000, 8, 8000}}) {
    SCOPED_TRACE(static_cast<int>(c.format));
    AudioDecoder decoder;
    WaveFormat format;
    format.extraSize = 7;
    ASSERT_EQ(decoder.Configure(c.format, c.rate, &format), 1);
    EXPECT_EQ(format.formatTag, WaveFormat::kPcm);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSecond, c.rate);
    EXPECT_EQ(format.bitsPerSample, c.bits);
    EXPECT_EQ(format.blockAlign, c.bits / 8);
    EXPECT_EQ(format.averageBytesPerSecond, c.bytesPerSecond);
    EXPECT_EQ(format.extraSize, 0);
  }
}

TEST(AudioDecoder, ConfigureWithoutDescriptorStillStoresTheFormat) {
  AudioDecoder decoder;
  EXPECT_EQ(decoder.format(), AudioFormat::QM_UPCM8);
  EXPECT_EQ(decoder.sampleRate(), 8000u);
  EXPECT_EQ(decoder.Configure(AudioFormat::QM_MLAW, 16000, nullptr), 0);
  EXPECT_EQ(decoder.format(), AudioFormat::QM_MLAW);
  EXPECT_EQ(decoder.sampleRate(), 16000u);
}

TEST(AudioDecoder, DecodesEveryFormat) {
  struct Case {
    AudioFormat format;
    Bytes input;
    Bytes output;
  };
  const std::vector<Case> cases = {
      {AudioFormat::QM_UPCM8, {0x00, 0x7F, 0x80, 0xFF}, {0x00, 0x7F, 0x80, 0xFF}},
      {AudioFormat::QM_SPCM8, {0x00, 0x80, 0x7F, 0xFF}, {0x80, 0x00, 0xFF, 0x7F}},
      {AudioFormat::QM_UPCM16, {0x34, 0x12, 0xCD, 0xAB}, {0x34, 0x12, 0xCD, 0xAB}},
      {AudioFormat::QM_SPCM16, {0x34, 0x12, 0xCD}, {0x34, 0x12, 0xCD}},  // ends anywhere
      // A-law 0xD5 = 8, 0x2A = -32256 (0x8200); little-endian out.
      {AudioFormat::QM_ALAW, {0xD5, 0x2A}, {0x08, 0x00, 0x00, 0x82}},
      // mu-law 0x80 = 32124 (0x7D7C), 0xFF = 0.
      {AudioFormat::QM_MLAW, {0x80, 0xFF}, {0x7C, 0x7D, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    AudioDecoder decoder;
    decoder.Configure(c.format, 8000, nullptr);
    Bytes output(c.output.size());  // exactly the promised size
    std::size_t length = 12345;
    ASSERT_EQ(decoder.Decode(c.input, output, length), 1);
    EXPECT_EQ(length, c.output.size());
    EXPECT_EQ(output, c.output);
    EXPECT_EQ(decoder.DecodedLength(c.input.size()), c.output.size());

    length = 12345;
    EXPECT_EQ(decoder.Decode({}, output, length), 1);
    EXPECT_EQ(length, 0u);
  }
}

TEST(AudioDecoder, RefusesAnUnknownFormatOrAShortBufferWithoutWriting) {
  AudioDecoder decoder;
  const Bytes input = {1, 2, 3, 4};
  Bytes output(8, 0xEE);
  std::size_t length = 99;

  decoder.Configure(static_cast<AudioFormat>(0), 8000, nullptr);
  EXPECT_EQ(decoder.Decode(input, output, length), 0);
  decoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  EXPECT_EQ(decoder.Decode(input, std::span(output).first(7), length), 0);
  EXPECT_EQ(length, 99u);
  EXPECT_EQ(output, Bytes(8, 0xEE));
}

TEST(AudioDecoder, ChunkSizeKeepsWholeSamples) {
  struct Case {
    AudioFormat format;
    std::size_t capacity;
    std::size_t input;
  };
  for (const Case c : {Case{AudioFormat::QM_ALAW, 8192, 4096}, Case{AudioFormat::QM_MLAW, 8191, 4095}, Case{AudioFormat::QM_SPCM16, 8191, 8190},
                       Case{AudioFormat::QM_UPCM8, 8191, 8191}, Case{AudioFormat::QM_SPCM8, 1, 1}, Case{AudioFormat::QM_ALAW, 1, 0}}) {
    AudioDecoder decoder;
    decoder.Configure(c.format, 8000, nullptr);
    EXPECT_EQ(decoder.InputThatFits(c.capacity), c.input) << static_cast<int>(c.format) << " / " << c.capacity;
  }
}

TEST(AudioDecoder, DecodesAPayloadLargerThanItsBufferInChunks) {
  // A 10,000-byte A-law payload through an 8,192-byte buffer: three pieces,
  // nothing written past the buffer, the samples in order.
  Bytes payload(10000);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
  AudioDecoder decoder;
  decoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  Bytes buffer(8192);
  Bytes pcm;
  int pieces = 0;
  ASSERT_TRUE(decoder.DecodeInChunks(payload, buffer, [&](std::span<const std::uint8_t> piece) {
    EXPECT_LE(piece.size(), buffer.size());
    pcm.insert(pcm.end(), piece.begin(), piece.end());
    ++pieces;
    return true;
  }));
  EXPECT_EQ(pieces, 3);
  ASSERT_EQ(pcm.size(), 2 * payload.size());
  for (std::size_t i = 0; i < payload.size(); ++i) {
    const auto sample = static_cast<std::int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
    ASSERT_EQ(sample, ExpandALaw(payload[i])) << i;
  }
}

TEST(AudioDecoder, ChunkedDecodingStopsWhenTheSinkRefuses) {
  AudioDecoder decoder;
  decoder.Configure(AudioFormat::QM_UPCM8, 8000, nullptr);
  Bytes buffer(100);
  int pieces = 0;
  EXPECT_FALSE(decoder.DecodeInChunks(Bytes(1000), buffer, [&](auto) { return ++pieces < 2; }));
  EXPECT_EQ(pieces, 2);
  decoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  EXPECT_FALSE(decoder.DecodeInChunks(Bytes(10), std::span(buffer).first(1), [](auto) { return true; }));
}

}  // namespace
}  // namespace tavrix
