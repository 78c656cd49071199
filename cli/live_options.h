#pragma once
#include <functional>
#include <string>

#include "cli/arguments.h"

namespace tavrix::cli {

// The password of `--password-file F` (its first line) or `--password-env V`;
// empty when neither is given. Never taken from the command line itself, so
// it stays out of process listings. A password file that its group or others
// may read is still used, with a warning on stderr for `command`.
std::string ReadPassword(const Arguments& arguments, const std::string& command);

// The dotted IPv4 address of a host name or address; UsageError when the
// name does not resolve.
std::string ResolveIpv4(const std::string& host);

// "HOST:PORT" split into a resolved address and a port.
std::pair<std::string, std::uint16_t> ParseHostPort(const std::string& text, const std::string& option);

// `path`, or when it exists the first free "name-1.ext", "name-2.ext", ...
std::string FreePath(const std::string& path);

// Waits until SIGINT or SIGTERM, `seconds` (0: no limit) or `keepWaiting`
// turning false, checking it every 100 ms. Call before any thread starts:
// the two signals are blocked for the whole process and taken here instead.
class InterruptWait {
 public:
  InterruptWait();
  // True when a signal ended the wait.
  bool Wait(double seconds, const std::function<bool()>& keepWaiting);
  // The signal that has arrived and not been taken yet, or 0; for work that
  // checks now and then instead of waiting.
  int Pending() const;
};

}  // namespace tavrix::cli
