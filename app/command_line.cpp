#include "app/command_line.h"

#include <cctype>
#include <string_view>

namespace tavrix {
namespace {

constexpr std::string_view kAddressOption = "/IP:";
constexpr std::string_view kPortOption = "/PORT:";
constexpr unsigned long kHighestPort = 65535;

}  // namespace

std::uint16_t CommandLine::Port(std::uint16_t defaultPort) const {
  unsigned long value = 0;
  std::size_t digits = 0;
  for (char c : portText) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    value = value * 10 + static_cast<unsigned long>(c - '0');
    ++digits;
    // Any further digit only makes it larger still.
    if (value > kHighestPort) return defaultPort;
  }
  if (digits == 0 || value == 0) return defaultPort;
  return static_cast<std::uint16_t>(value);
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool haveFile = false;
  for (const std::string& argument : arguments) {
    const std::string_view word(argument);
    if (word.starts_with(kAddressOption)) {
      line.address = word.substr(kAddressOption.size());
    } else if (word.starts_with(kPortOption)) {
      line.portText = word.substr(kPortOption.size());
    } else if (!haveFile) {
      line.file = argument;
      haveFile = true;
    }
  }
  return line;
}

}  // namespace tavrix
