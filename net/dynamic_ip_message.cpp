#include "net/dynamic_ip_message.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace tavrix::dynamic_ip {

std::array<std::uint8_t, kQuerySize> BuildQuery(std::string_view dvrName) {
  std::array<std::uint8_t, kQuerySize> query{};
  std::memcpy(query.data(), kMagic, 4);
  std::memcpy(query.data() + 4, dvrName.data(), std::min(dvrName.size(), kNameSize));
  return query;
}

std::optional<std::string> ParseQuery(std::span<const std::uint8_t, kQuerySize> query) {
  if (std::memcmp(query.data(), kMagic, 4) != 0) return std::nullopt;
  const char* name = reinterpret_cast<const char*>(query.data() + 4);
  return std::string(name, strnlen(name, kNameSize));
}

std::optional<std::array<std::uint8_t, kReplySize>> BuildReply(const Address& answer) {
  in_addr address{};
  if (::inet_pton(AF_INET, answer.address.c_str(), &address) != 1) return std::nullopt;
  std::array<std::uint8_t, kReplySize> reply{};
  std::memcpy(reply.data(), kMagic, 4);
  std::memcpy(reply.data() + 4, &address.s_addr, 4);
  reply[8] = static_cast<std::uint8_t>(answer.port);
  reply[9] = static_cast<std::uint8_t>(answer.port >> 8);
  return reply;
}

std::optional<Address> ParseReply(std::span<const std::uint8_t, kReplySize> reply) {
  if (std::memcmp(reply.data(), kMagic, 4) != 0) return std::nullopt;
  Address answer;
  answer.address = std::to_string(reply[4]) + "." + std::to_string(reply[5]) + "." + std::to_string(reply[6]) + "." +
                   std::to_string(reply[7]);
  answer.port = static_cast<std::uint16_t>(reply[8] | reply[9] << 8);
  return answer;
}

}  // namespace tavrix::dynamic_ip
