#pragma once
#include <string>
#include <vector>

namespace tavrix::cli {

// One subcommand of the tavrix tool. Run returns the process exit status;
// it reports its own errors as one line on stderr.
struct Command {
  const char* name;
  const char* usage;    // the synopsis after "tavrix "
  const char* summary;  // one line for the command list
  int (*run)(const std::vector<std::string>& args);
};

// Every subcommand, in the order the help lists them.
const std::vector<Command>& AllCommands();

}  // namespace tavrix::cli
