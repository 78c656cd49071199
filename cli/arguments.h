#pragma once
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrix::cli {

// A command-line error with the one line the user sees.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses "--name value", "--flag" and positional words against the options a
// command declares; anything else is a UsageError.
class Arguments {
 public:
  Arguments(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
            const std::set<std::string>& flagOptions);

  const std::vector<std::string>& positional() const { return positional_; }
  // The single positional argument named `what` in messages.
  const std::string& RequirePositional(std::size_t index, const std::string& what) const;
  void ExpectPositionalCount(std::size_t count) const;

  bool Flag(const std::string& name) const { return flags_.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  std::string Require(const std::string& name) const;
  // Integer option within [low, high]; the default when absent.
  long long Integer(const std::string& name, long long fallback, long long low, long long high) const;
  double Number(const std::string& name, double fallback, double low, double high) const;

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
};

}  // namespace tavrix::cli
