#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {

// What the viewer was started with: `tavrix-viewer [FILE] [/IP:addr /PORT:n]`.
struct CommandLine {
  // The first argument that is not an option, taken verbatim: quotes are
  // legal in file names here, so none are removed.
  std::string file;
  // The rest of the "/IP:" and "/PORT:" arguments; empty when not given.
  std::string address;
  std::string portText;

  // Both the address and the port were given: connect at the first tick.
  bool AutoConnect() const { return !address.empty() && !portText.empty(); }
  // The port's leading decimal digits; defaultPort when there are none or
  // when they name no TCP port (1 to 65535).
  std::uint16_t Port(std::uint16_t defaultPort) const;
};

// The arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace tavrix
