#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace tavrix {

// Control messages of the DVR protocol: start code 00 00 01 FE, the total
// length and the message code as four hexadecimal digits each, then fields of
// four hexadecimal digits.
namespace dvr {
constexpr std::uint8_t kStartCode[4] = {0x00, 0x00, 0x01, 0xFE};
constexpr std::size_t kHeaderSize = 12;

enum Code : std::uint16_t {
  kLoginPending = 0x0001,
  kLoginRefused = 0x0002,
  kLoginAccepted = 0x0003,
  kLoginRefusedOther = 0x0004,
  kStatusWord = 0x0007,
  kStatusReport = 0x0008,
  kServerClosed = 0x000B,
  kLoginRequest = 0x0081,
  kKeyCommand = 0x0085,
  kLogout = 0x0086,
  kMouseCommand = 0x0089,
};

constexpr std::uint16_t kDefaultPort = 8841;
constexpr std::uint16_t kDefaultDynamicIpPort = 1800;
}  // namespace dvr

// Reads a four-digit hexadecimal field; any character that is not a
// hexadecimal digit makes the whole field 0.
std::uint16_t ReadHexField(const std::uint8_t* digits);
void WriteHexField(std::uint8_t* digits, std::uint16_t value);

// True when the four bytes are the control start code.
bool IsControlStart(const std::uint8_t* bytes);

// One outgoing control message, built on the stack.
class ControlMessage {
 public:
  static constexpr std::size_t kCapacity = 64;

  // Header, the fields in order, then `tail` as raw characters.
  ControlMessage(std::uint16_t code, std::initializer_list<std::uint16_t> fields, std::string_view tail = {});

  std::span<const std::uint8_t> bytes() const { return {bytes_.data(), size_}; }

 private:
  std::array<std::uint8_t, kCapacity> bytes_{};
  std::size_t size_ = 0;
};

// The 44-byte login request: the upper-case MD5 of the password, never the
// password itself.
ControlMessage LoginRequest(std::string_view password);
ControlMessage KeyCommand(std::uint8_t code);
ControlMessage MouseCommand(std::uint16_t buttons, std::uint16_t viewWidth, std::uint16_t viewHeight,
                            std::uint16_t x, std::uint16_t y);
ControlMessage LogoutMessage();

}  // namespace tavrix
