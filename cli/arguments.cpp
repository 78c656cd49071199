#include "cli/arguments.h"

#include <cerrno>
#include <cstdlib>

namespace tavrix::cli {

Arguments::Arguments(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
      std::string name = word.substr(2);
      std::optional<std::string> inlineValue;
      if (const auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name.resize(eq);
      }
      if (valueOptions.count(name)) {
        if (inlineValue) {
          values_[name] = *inlineValue;
        } else if (i + 1 < words.size()) {
          values_[name] = words[++i];
        } else {
          throw UsageError("option --" + name + " needs a value");
        }
      } else if (flagOptions.count(name) && !inlineValue) {
        flags_.insert(name);
      } else {
        throw UsageError("unknown option " + word);
      }
    } else {
      positional_.push_back(word);
    }
  }
}

const std::string& Arguments::RequirePositional(std::size_t index, const std::string& what) const {
  if (index >= positional_.size()) throw UsageError("missing " + what);
  return positional_[index];
}

void Arguments::ExpectPositionalCount(std::size_t count) const {
  if (positional_.size() > count) throw UsageError("unexpected argument " + positional_[count]);
}

std::optional<std::string> Arguments::Value(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string Arguments::Require(const std::string& name) const {
  auto value = Value(name);
  if (!value) throw UsageError("option --" + name + " is required");
  return *value;
}

long long Arguments::Integer(const std::string& name, long long fallback, long long low, long long high) const {
  const auto value = Value(name);
  if (!value) return fallback;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(value->c_str(), &end, 10);
  if (value->empty() || *end != '\0' || errno != 0 || parsed < low || parsed > high) {
    throw UsageError("--" + name + " must be a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return parsed;
}

double Arguments::Number(const std::string& name, double fallback, double low, double high) const {
  const auto value = Value(name);
  if (!value) return fallback;
  char* end = nullptr;
  const double parsed = std::strtod(value->c_str(), &end);
  if (value->empty() || *end != '\0' || !(parsed >= low && parsed <= high)) {
    throw UsageError("--" + name + " must be a number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return parsed;
}

}  // namespace tavrix::cli
