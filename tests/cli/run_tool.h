#pragma once
#include <string>
#include <vector>

namespace tavrix::testing {

struct ToolResult {
  int status = -1;  // exit status; -1 when the tool did not exit normally (a crash)
  std::string out;
  std::string err;
};

// Runs the built tavrix tool with the arguments, TZ=UTC0 and no input, and
// collects what it printed.
ToolResult RunTool(const std::vector<std::string>& args);

// The same as an unprivileged user: when the tests run as root, the tool
// runs as nobody (through setpriv), so permission checks really apply.
ToolResult RunToolUnprivileged(const std::vector<std::string>& args);

}  // namespace tavrix::testing
