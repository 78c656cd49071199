#pragma once
#include <chrono>
#include <string>
#include <vector>

namespace tavrix::testing {

struct ToolOptions {
  // When the tests run as root, the tool runs as nobody, so that permission
  // checks really apply.
  bool asNobody = false;
  // The tool is killed once this has passed; zero waits for it however long.
  std::chrono::milliseconds timeLimit{0};
  // "NAME=value" entries added to (or replacing those of) the test's environment.
  std::vector<std::string> environment;
};

struct ToolResult {
  int status = -1;        // exit status; -1 when the tool did not exit normally (a crash, the time limit)
  bool timedOut = false;  // killed at the time limit
  std::string out;
  std::string err;
};

// Runs the built tavrix tool with the arguments (no shell in between), no
// input and TZ=UTC0 unless the options say otherwise, and collects what it
// printed.
ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options = {});

}  // namespace tavrix::testing
