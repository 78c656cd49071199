// libFuzzer target for what the client reads while it finds and logs in to
// a DVR: arbitrary bytes as the DVR's replies to a login request, and their
// first bytes as a dynamic-IP server's reply (and, for the server side, as a
// query). The replies are read twice, in the pieces the client asks for and
// in smaller random ones, and must give the same results; every reply must
// consume exactly the bytes it declares, and a reply's text be one the
// client knows. A parsed dynamic-IP reply or query must build back to itself.
//
// Input: 4 bytes that choose the piece sizes, then the bytes from the server.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "net/control_message.h"
#include "net/dynamic_ip_message.h"
#include "net/login_reply_reader.h"

namespace {

using tavrix::LoginReplyReader;
using Result = LoginReplyReader::Result;

constexpr std::size_t kSettingsSize = 4;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "login_reply_fuzzer: %s\n", what);
  std::abort();
}

struct Reply {
  Result result;
  std::size_t length;
  std::string_view refusal;
  friend bool operator==(const Reply&, const Reply&) = default;
};

// Reads replies until the bytes run out, handing the reader `piece(wanted)`
// bytes at a time.
template <typename PieceSize>
std::vector<Reply> ReadReplies(std::span<const std::uint8_t> bytes, PieceSize piece) {
  LoginReplyReader reader;
  std::vector<Reply> replies;
  std::size_t length = 0;
  while (!bytes.empty()) {
    const std::size_t wanted = reader.Wanted();
    Require(wanted > 0, "the reader wants no bytes");
    const std::size_t taken = std::min(piece(wanted), bytes.size());
    Require(taken >= 1 && taken <= wanted, "a piece size outside 1 to Wanted()");
    const Result result = reader.Take(bytes.first(taken));
    bytes = bytes.subspan(taken);
    length += taken;
    if (result == Result::kIncomplete) continue;
    replies.push_back({result, length, result == Result::kRefused ? reader.RefusalText() : ""});
    length = 0;
  }
  return replies;
}

void CheckReplies(std::span<const std::uint8_t> bytes, const std::vector<Reply>& replies) {
  static constexpr std::string_view kRefusals[] = {"Too many client.", "Incorrect password.", "Bad network",
                                                   "Unkown error."};
  for (const Reply& reply : replies) {
    Require(reply.length <= bytes.size(), "a reply longer than the bytes");
    const std::uint8_t* start = bytes.data();
    if (!tavrix::IsControlStart(start)) {
      Require(reply.result == Result::kInvalid && reply.length == 4, "a reply without a start code read on");
    } else {
      const std::size_t declared = std::clamp<std::size_t>(tavrix::ReadHexField(start + 4), 12, 0xFFFF);
      Require(reply.length == declared, "a reply that did not consume the length it declares");
    }
    Require(reply.result != Result::kRefused ||
                std::find(std::begin(kRefusals), std::end(kRefusals), reply.refusal) != std::end(kRefusals),
            "a refusal text the client does not know");
    bytes = bytes.subspan(reply.length);
  }
}

void CheckDynamicIp(std::span<const std::uint8_t> bytes) {
  namespace dynamic_ip = tavrix::dynamic_ip;
  if (bytes.size() >= dynamic_ip::kReplySize) {
    const auto reply = bytes.first<dynamic_ip::kReplySize>();
    const auto answer = dynamic_ip::ParseReply(reply);
    const bool magic = std::memcmp(reply.data(), dynamic_ip::kMagic, 4) == 0;
    Require(answer.has_value() == magic, "a dynamic-IP reply taken or refused against its magic");
    if (answer) {
      const auto rebuilt = dynamic_ip::BuildReply(*answer);
      Require(rebuilt && std::equal(rebuilt->begin(), rebuilt->end(), reply.begin()),
              "a parsed dynamic-IP reply does not build back to itself");
    }
  }
  if (bytes.size() >= dynamic_ip::kQuerySize) {
    const auto query = bytes.first<dynamic_ip::kQuerySize>();
    if (const auto name = dynamic_ip::ParseQuery(query)) {
      Require(name->size() <= dynamic_ip::kNameSize, "a DVR name longer than the query holds");
      const auto rebuilt = dynamic_ip::BuildQuery(*name);
      Require(dynamic_ip::ParseQuery(rebuilt) == name, "a DVR name does not survive its query");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsSize) return 0;
  std::uint32_t state;
  std::memcpy(&state, data, sizeof state);
  state |= 1;
  const std::span<const std::uint8_t> bytes(data + kSettingsSize, size - kSettingsSize);

  const auto asked = ReadReplies(bytes, [](std::size_t wanted) { return wanted; });
  CheckReplies(bytes, asked);
  const auto random = ReadReplies(bytes, [&state](std::size_t wanted) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return 1 + state % wanted;
  });
  Require(random == asked, "the replies depend on how the bytes were split");

  CheckDynamicIp(bytes);
  return 0;
}
