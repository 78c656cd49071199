#pragma once
#include <functional>
#include <string>

namespace tavrix::testing {

// The user that permission checks are made against when the tests run as root.
constexpr unsigned kNobodyId = 65534;

// In a child process about to do what a user would do: when running as root,
// becomes nobody (no supplementary groups, then group and user). Only system
// calls, so it is safe between fork and exec. False when that failed.
bool BecomeUnprivileged();

// What a function run in a child process returned.
struct ChildOutcome {
  bool finished = false;  // the function ran to its end
  std::string result;     // what it returned
  std::string failure;    // otherwise: why not
};

// Runs `body` in a forked child that has become unprivileged first, so that
// file permissions apply even when the tests run as root. Call it while the
// test has no threads of its own running.
ChildOutcome RunUnprivileged(const std::function<std::string()>& body);

}  // namespace tavrix::testing
