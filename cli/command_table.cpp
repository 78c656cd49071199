#include "cli/command.h"

namespace tavrix::cli {

int RunAudio(const std::vector<std::string>& args);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"audio", "audio <source> [--disk] --out FILE.wav [--channel N]",
       "write the sound of a recording's audio channel as a 16-bit PCM WAV file", RunAudio},
  };
  return commands;
}

}  // namespace tavrix::cli
