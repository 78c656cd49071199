#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrix {

// The MD5 message digest of RFC 1321. The DVR's login expects the unsalted
// digest of the password, so this is a protocol detail, not a security measure.
std::array<std::uint8_t, 16> Md5Digest(std::span<const std::uint8_t> message);

// The digest as 32 upper-case hexadecimal characters, first byte first.
std::string Md5HexUpper(std::string_view message);

}  // namespace tavrix
