#pragma once
#include <functional>
#include <optional>
#include <string>

namespace tavrix {

// Reads one environment variable; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const char* name)>;

// Why no window can be shown, in one line, or nothing when Qt will find a
// display. Asked before the application object exists, because Qt ends the
// process when its platform cannot start.
std::optional<std::string> DisplayProblem(const EnvironmentLookup& environment);

// The process's own environment.
std::string ProcessEnvironment(const char* name);

}  // namespace tavrix
