#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The dynamic-IP server's protocol: a 12-byte query (magic, DVR name in eight
// zero-padded bytes) answered by a 10-byte reply (magic, IPv4 address in
// network order, port little-endian).
namespace tavrix::dynamic_ip {

constexpr std::uint8_t kMagic[4] = {0x55, 0xAA, 0x55, 0xAA};
constexpr std::size_t kQuerySize = 12;
constexpr std::size_t kReplySize = 10;
constexpr std::size_t kNameSize = 8;

struct Address {
  std::string address;  // dotted decimal
  std::uint16_t port = 0;
  friend bool operator==(const Address&, const Address&) = default;
};

// The name must be at most kNameSize bytes; a name of exactly eight bytes has
// no terminator.
std::array<std::uint8_t, kQuerySize> BuildQuery(std::string_view dvrName);
// The name in a query, or nothing when the magic is wrong.
std::optional<std::string> ParseQuery(std::span<const std::uint8_t, kQuerySize> query);
// Nothing when the address is not dotted decimal.
std::optional<std::array<std::uint8_t, kReplySize>> BuildReply(const Address& answer);
// Nothing when the magic is wrong.
std::optional<Address> ParseReply(std::span<const std::uint8_t, kReplySize> reply);

}  // namespace tavrix::dynamic_ip
