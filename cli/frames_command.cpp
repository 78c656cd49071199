#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/frame_bound.h"
#include "cli/frame_listing.h"
#include "cli/source_problem.h"
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

  VvfReader reader;
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix frames: %s\n", reader.LastError().c_str());
    return 1;
  }
  VvfForwardScan scan(reader);
  // Frames that begin at the byte bound may start anywhere in its block.
  if (from.offset) reader.Seek(*from.offset / kVvfBlockSize * kVvfBlockSize);

  // The listing needs no frame bytes: none are copied.
  FrameListing listing(stdout, args.Flag("json"));
  bool stoppedEarly = false;
  while (scan.Skip() > 0) {
    const std::uint64_t offset = reader.FrameOffset();
    if (to.offset && offset > *to.offset) {
      stoppedEarly = true;
      break;
    }
    const FrameInfo& info = reader.frameInfo();
    if (WithinBounds(from, to, offset, info.time)) listing.Write(offset, info);
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
