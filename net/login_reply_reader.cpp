#include "net/login_reply_reader.h"

#include <algorithm>
#include <cstring>

#include "net/control_message.h"

namespace tavrix {
namespace {

constexpr std::size_t kLengthEnd = 8;  // start code and length field

const char* LoginRefusalText(std::uint16_t reason) {
  switch (reason) {
    case 1:
      return "Too many client.";
    case 2:
      return "Incorrect password.";
    case 3:
      return "Bad network";
    default:
      return "Unkown error.";
  }
}

}  // namespace

std::size_t LoginReplyReader::Wanted() const {
  if (received_ < 4) return 4 - received_;
  if (received_ < kLengthEnd) return kLengthEnd - received_;
  return total_ - received_;
}

LoginReplyReader::Result LoginReplyReader::Take(std::span<const std::uint8_t> bytes) {
  const std::size_t before = received_;
  if (before < kReadSize) {
    const std::size_t kept = std::min(bytes.size(), kReadSize - before);
    std::memcpy(head_ + before, bytes.data(), kept);
  }
  received_ += bytes.size();
  if (before < 4 && received_ >= 4 && !IsControlStart(head_)) {
    received_ = 0;
    return Result::kInvalid;
  }
  if (before < kLengthEnd && received_ >= kLengthEnd) {
    total_ = std::clamp<std::size_t>(ReadHexField(head_ + 4), dvr::kHeaderSize, 0xFFFF);
  }
  if (received_ < kLengthEnd || received_ < total_) return Result::kIncomplete;
  return Finish();
}

LoginReplyReader::Result LoginReplyReader::Finish() {
  received_ = 0;
  switch (ReadHexField(head_ + 8)) {
    case dvr::kLoginPending:
      return Result::kPending;
    case dvr::kLoginAccepted:
      return Result::kAccepted;
    case dvr::kLoginRefused:
    case dvr::kLoginRefusedOther:
      refusal_ = LoginRefusalText(total_ >= kReadSize ? ReadHexField(head_ + 12) : 0);
      return Result::kRefused;
    default:
      return Result::kInvalid;
  }
}

}  // namespace tavrix
