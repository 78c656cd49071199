#include "cli/command.h"

namespace tavrix::cli {

int RunMakeSample(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunFrames(const std::vector<std::string>& args);
int RunDisks(const std::vector<std::string>& args);
int RunDecode(const std::vector<std::string>& args);
int RunAudio(const std::vector<std::string>& args);
int RunPlay(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunRecord(const std::vector<std::string>& args);
int RunDvrSim(const std::vector<std::string>& args);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"make-sample", "make-sample <out.VVF> [--seconds N] [--pal|--ntsc] [--audio-channels N]",
       "write a deterministic 4-channel demo recording of moving test pictures with A-law sound", RunMakeSample},
      {"info", "info <source> [--disk] [--json]",
       "summarise a recording or DVR disk: blocks, times, channels, frame counts", RunInfo},
      {"frames", "frames <source> [--disk] [--from T] [--to T] [--json]   (T: byte offset or \"YYYY-MM-DD HH:MM:SS\")",
       "list every frame: byte offset, kind, channel, length, block time", RunFrames},
      {"disks", "disks", "list the block devices that may hold a DVR disk", RunDisks},
      {"decode", "decode <source> [--disk] --channel N --out DIR [--format png|yuv] [--from T] [--to T] [--portable]",
       "write the decoded pictures of one channel (1-16) as PNG files or one raw yuv420p file", RunDecode},
      {"audio", "audio <source> [--disk] --out FILE.wav [--channel N]",
       "write the sound of a recording's audio channel as a 16-bit PCM WAV file", RunAudio},
      {"play", "play <source> [--disk] [--speed S] [--reverse] [--seconds N]",
       "play a recording headless, with sound, printing state, speed, position and block time every second",
       RunPlay},
      {"export",
       "export <source> [--disk] --out FILE [--channels all|1,3] [--layout 1|4] [--from T] [--to T] "
       "[--codec raw|mjpeg|mpeg4|h264|ffv1] [--quality 1-100] [--audio-channel N]",
       "export channels of a recording with their captions and sound as AVI, MP4 or MKV "
       "(T: byte offset or \"YYYY-MM-DD HH:MM:SS\")",
       RunExport},
      {"record",
       "record (--ip HOST [--port P] | --ddns HOST:PORT [--name DVR000]) [--password-file F | --password-env V] "
       "--out FILE.VVF [--seconds N] [--timeout S]",
       "log in to a DVR and record its live stream into a VVF file, reconnecting when it falls silent",
       RunRecord},
      {"dvr-sim",
       "dvr-sim [--source FILE.VVF [--channel N] [--loop] | --frames N [--pal]] [--fps N] [--address A] [--port P] "
       "[--password-file F | --password-env V] [--login accept|garbage|silent|refuse:XXXX] [--pending N] "
       "[--status-every N] "
       "[--faults garbage,split,control-inside,stall-after=N,reset-after=N,close-after=S,flood=CODE] "
       "[--ddns-port P [--name DVR000]] [--seconds N]",
       "serve a recording or generated pictures as a DVR's live stream on loopback, for the viewer and tests",
       RunDvrSim},
  };
  return commands;
}

}  // namespace tavrix::cli
