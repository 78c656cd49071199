#include "net/control_message.h"

#include <algorithm>
#include <cstring>

#include "net/md5.h"

namespace tavrix {
namespace {

int HexDigitValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::uint16_t ReadHexField(const std::uint8_t* digits) {
  std::uint16_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = HexDigitValue(digits[i]);
    if (digit < 0) return 0;
    value = static_cast<std::uint16_t>(value << 4 | digit);
  }
  return value;
}

void WriteHexField(std::uint8_t* digits, std::uint16_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 4; ++i) digits[i] = static_cast<std::uint8_t>(kDigits[(value >> (12 - 4 * i)) & 15]);
}

bool IsControlStart(const std::uint8_t* bytes) { return std::memcmp(bytes, dvr::kStartCode, 4) == 0; }

ControlMessage::ControlMessage(std::uint16_t code, std::initializer_list<std::uint16_t> fields,
                               std::string_view tail)
    : size_(dvr::kHeaderSize) {
  std::memcpy(bytes_.data(), dvr::kStartCode, 4);
  WriteHexField(bytes_.data() + 8, code);
  for (const std::uint16_t field : fields) {
    if (size_ + 4 > kCapacity) break;
    WriteHexField(bytes_.data() + size_, field);
    size_ += 4;
  }
  const std::size_t tailSize = std::min(tail.size(), kCapacity - size_);
  if (tailSize != 0) std::memcpy(bytes_.data() + size_, tail.data(), tailSize);
  size_ += tailSize;
  WriteHexField(bytes_.data() + 4, static_cast<std::uint16_t>(size_));
}

ControlMessage LoginRequest(std::string_view password) {
  return {dvr::kLoginRequest, {}, Md5HexUpper(password)};
}

ControlMessage KeyCommand(std::uint8_t code) { return {dvr::kKeyCommand, {code}}; }

ControlMessage MouseCommand(std::uint16_t buttons, std::uint16_t viewWidth, std::uint16_t viewHeight,
                            std::uint16_t x, std::uint16_t y) {
  return {dvr::kMouseCommand, {buttons, viewWidth, viewHeight, x, y}};
}

ControlMessage LogoutMessage() { return {dvr::kLogout, {}}; }

}  // namespace tavrix
