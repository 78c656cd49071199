#include "cli/command.h"

namespace tavrix::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
  };
  return commands;
}

}  // namespace tavrix::cli
