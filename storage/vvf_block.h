#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// A VVF stream is a sequence of 4096-byte blocks, each an 8-byte header and
// 4088 bytes of payload; the payloads in block order form the frame stream.
inline constexpr std::size_t kVvfBlockSize = 4096;
inline constexpr std::size_t kVvfHeaderSize = 8;
inline constexpr std::size_t kVvfPayloadSize = kVvfBlockSize - kVvfHeaderSize;

// Frame start codes are 00 00 01 C with C one of these.
inline constexpr std::uint8_t kUpdatePictureCode = 0xF8;
inline constexpr std::uint8_t kFullPictureCode = 0xF9;
inline constexpr std::uint8_t kFirstAudioCode = 0xFA;  // audio channel 0; 0xFB..0xFD channels 1-3
inline constexpr std::uint8_t kLastAudioCode = 0xFD;
// Audio frames carry two bytes after their start code that nothing reads.
inline constexpr std::size_t kAudioFrameHeaderSize = 6;

constexpr bool IsFrameCode(std::uint8_t code) { return code >= kUpdatePictureCode && code <= kLastAudioCode; }
constexpr bool IsAudioCode(std::uint8_t code) { return code >= kFirstAudioCode && code <= kLastAudioCode; }

// The fields of a block header.
struct VvfBlockHeader {
  std::uint32_t blockTime = 0;    // seconds since 1970-01-01 UTC
  std::uint16_t channelMask = 0;  // bit n: camera channel n is recorded
  std::uint8_t frameInterval = 0; // bits 0-6; bit 7 is reserved

  friend bool operator==(const VvfBlockHeader&, const VvfBlockHeader&) = default;
};

// Writes the 8 header bytes, check byte included; bit 7 of the interval is
// written as 0.
void EncodeBlockHeader(const VvfBlockHeader& header, bool bigEndian, std::uint8_t* out);

// Reads the header at the start of a block. False when the check byte does
// not match (the block then carries no usable data); the fields are filled
// either way.
bool DecodeBlockHeader(const std::uint8_t* block, bool bigEndian, VvfBlockHeader& header);

// Exchanges the two bytes of every 16-bit word, as DVR disks store them.
// length must be even.
void SwapWordBytes(std::uint8_t* bytes, std::size_t length);

}  // namespace tavrix
