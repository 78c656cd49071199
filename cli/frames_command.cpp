#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/frame_bound.h"
#include "cli/source_problem.h"
#include "storage/block_time.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {

// tavrix frames <source> [--disk] [--from T] [--to T] [--json]
// One line per frame that a forward read delivers, streamed as it is read.
// Byte bounds stop the scan early; time bounds are checked on every frame,
// since a DVR disk that wrapped around holds its times out of order.
int RunFrames(const std::vector<std::string>& words) {
  const Arguments args(words, {"from", "to"}, {"disk", "json"});
  const std::string& source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  const FrameBound from = args.Value("from") ? ParseFrameBound("from", *args.Value("from")) : FrameBound{};
  const FrameBound to = args.Value("to") ? ParseFrameBound("to", *args.Value("to")) : FrameBound{};
  const bool json = args.Flag("json");

  VvfReader reader;
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix frames: %s\n", reader.LastError().c_str());
    return 1;
  }
  VvfForwardScan scan(reader);
  // Frames that begin at the byte bound may start anywhere in its block.
  if (from.offset) reader.Seek(*from.offset / kVvfBlockSize * kVvfBlockSize);

  auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  bool stoppedEarly = false;
  while (scan.Next(frame.get()) > 0) {
    const std::uint64_t offset = reader.FrameOffset();
    if (to.offset && offset > *to.offset) {
      stoppedEarly = true;
      break;
    }
    const FrameInfo& info = reader.frameInfo();
    if (!WithinBounds(from, to, offset, info.time)) continue;
    const std::string time = FormatCalendarTime(info.time);
    const char* kind = info.audio ? "audio" : "video";
    if (json) {
      std::printf("{\"offset\": %llu, \"kind\": \"%s\", \"channel\": %d, \"length\": %u, \"time\": \"%s\"}\n",
                  static_cast<unsigned long long>(offset), kind, info.channel, info.length, time.c_str());
    } else {
      std::printf("%12llu  %s  %2d  %6u  %s\n", static_cast<unsigned long long>(offset), kind, info.channel,
                  info.length, time.c_str());
    }
  }
  // Only a full pass can judge the whole source.
  const std::string problem = stoppedEarly ? "" : SourceProblem(source, args.Flag("disk"), reader, scan);
  if (!problem.empty()) {
    std::fprintf(stderr, "tavrix frames: %s\n", problem.c_str());
    return 1;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "tavrix frames: writing the listing failed\n");
    return 1;
  }
  return 0;
}

}  // namespace tavrix::cli
