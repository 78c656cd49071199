#include "cli/command.h"

namespace tavrix::cli {

int RunAudio(const std::vector<std::string>& args);
int RunMakeSample(const std::vector<std::string>& args);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"audio", "audio <source> [--disk] --out FILE.wav [--channel N]",
       "write the sound of a recording's audio channel as a 16-bit PCM WAV file", RunAudio},
      {"make-sample", "make-sample <out.VVF> [--seconds N] [--pal|--ntsc] [--audio-channels N]",
       "write a deterministic 4-channel demo recording of moving test pictures with A-law sound", RunMakeSample},
  };
  return commands;
}

}  // namespace tavrix::cli
