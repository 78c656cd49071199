#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/control_message.h"
#include "net/dynamic_ip_message.h"

namespace tavrix {
namespace {

std::string Text(std::span<const std::uint8_t> bytes, std::size_t from) {
  return {bytes.begin() + static_cast<long>(from), bytes.end()};
}

TEST(ControlMessage, OutgoingMessagesHaveTheirFixedLayout) {
  const struct {
    ControlMessage message;
    std::string text;  // after the start code
  } cases[] = {
      {KeyCommand(0x1F), "00100085001F"},
      {MouseCommand(0x101, 640, 480, 12, 345), "002000890101028001E0000C0159"},
      {LogoutMessage(), "000C0086"},
      {LoginRequest(""), "002C0081D41D8CD98F00B204E9800998ECF8427E"},
      {LoginRequest("secret"), "002C00815EBE2294ECD0E0F08EAB7690D2A6EE69"},
  };
  for (const auto& c : cases) {
    const auto bytes = c.message.bytes();
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_TRUE(IsControlStart(bytes.data()));
    EXPECT_EQ(Text(bytes, 4), c.text);
  }
}

TEST(ControlMessage, HexFieldsAcceptBothCasesAndReadGarbageAsZero) {
  const struct {
    const char* digits;
    std::uint16_t value;
  } cases[] = {{"002C", 0x2C}, {"002c", 0x2C}, {"FFFF", 0xFFFF}, {"00G1", 0}, {"-001", 0}, {" 123", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadHexField(reinterpret_cast<const std::uint8_t*>(c.digits)), c.value) << c.digits;
  }
}

TEST(DynamicIpMessage, QueryCarriesTheNameInEightPaddedBytes) {
  const auto query = dynamic_ip::BuildQuery("DVR000");
  const std::vector<std::uint8_t> expected = {0x55, 0xAA, 0x55, 0xAA, 0x44, 0x56, 0x52, 0x30, 0x30, 0x30, 0x00, 0x00};
  EXPECT_EQ(std::vector<std::uint8_t>(query.begin(), query.end()), expected);
  EXPECT_EQ(dynamic_ip::ParseQuery(query), "DVR000");
  // Eight bytes fill the field with no terminator.
  EXPECT_EQ(dynamic_ip::ParseQuery(dynamic_ip::BuildQuery("ABCDEFGH")), "ABCDEFGH");
}

TEST(DynamicIpMessage, ReplyGivesAddressAndLittleEndianPort) {
  const std::array<std::uint8_t, 10> reply = {0x55, 0xAA, 0x55, 0xAA, 0x0A, 0x00, 0x00, 0x07, 0x89, 0x22};
  const auto answer = dynamic_ip::ParseReply(reply);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->address, "10.0.0.7");
  EXPECT_EQ(answer->port, 8841);
  EXPECT_EQ(dynamic_ip::BuildReply(*answer), reply);

  auto wrongMagic = reply;
  wrongMagic[2] = 0x54;
  EXPECT_FALSE(dynamic_ip::ParseReply(wrongMagic));
  EXPECT_FALSE(dynamic_ip::BuildReply({"not an address", 1}));
}

}  // namespace
}  // namespace tavrix
