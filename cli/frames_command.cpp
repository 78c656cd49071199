#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "cli/arguments.h"
#include "cli/source_problem.h"
#include "storage/block_time.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {
namespace {

// A bound of --from/--to: a byte offset into the source (digits only), or a
// block time "YYYY-MM-DD HH:MM:SS" (also with a T) in the local standard
// time that the listing shows.
struct Bound {
  std::optional<std::uint64_t> offset;
  std::optional<CalendarTime> time;
};

auto TimeKey(const CalendarTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); }

Bound ParseBound(const std::string& option, const std::string& text) {
  Bound bound;
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 19) {
    bound.offset = std::stoull(text);
    return bound;
  }
  unsigned year, month, day, hour, minute, second;
  char separator = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2u%c%2u:%2u:%2u%n", &year, &month, &day, &separator, &hour, &minute,
                  &second, &consumed) == 7 &&
      static_cast<std::size_t>(consumed) == text.size() && (separator == ' ' || separator == 'T') && month >= 1 &&
      month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59 && second <= 59) {
    CalendarTime time;
    time.year = static_cast<std::uint16_t>(year);
    time.month = static_cast<std::uint16_t>(month);
    time.day = static_cast<std::uint16_t>(day);
    time.hour = static_cast<std::uint16_t>(hour);
    time.minute = static_cast<std::uint16_t>(minute);
    time.second = static_cast<std::uint16_t>(second);
    bound.time = time;
    return bound;
  }
  throw UsageError("--" + option + " must be a byte offset or a time like \"2026-12-11 10:00:00\"");
}

bool Within(const Bound& from, const Bound& to, std::uint64_t offset, const CalendarTime& time) {
  if (from.offset && offset < *from.offset) return false;
  if (to.offset && offset > *to.offset) return false;
  if (from.time && TimeKey(time) < TimeKey(*from.time)) return false;
  if (to.time && TimeKey(time) > TimeKey(*to.time)) return false;
  return true;
}

}  // namespace

// tavrix frames <source> [--disk] [--from T] [--to T] [--json]
// One line per frame that a forward read delivers, streamed as it is read.
// Byte bounds stop the scan early; time bounds are checked on every frame,
// since a DVR disk that wrapped around holds its times out of order.
int RunFrames(const std::vector<std::string>& words) {
  const Arguments args(words, {"from", "to"}, {"disk", "json"});
  const std::string& source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  const Bound from = args.Value("from") ? ParseBound("from", *args.Value("from")) : Bound{};
  const Bound to = args.Value("to") ? ParseBound("to", *args.Value("to")) : Bound{};
  const bool json = args.Flag("json");

  VvfReader reader;
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix frames: %s\n", reader.LastError().c_str());
    return 1;
  }
  VvfForwardScan scan(reader);
  // Frames that begin at the byte bound may start anywhere in its block.
  if (from.offset) reader.Seek(*from.offset / kVvfBlockSize * kVvfBlockSize);

  auto frame = std::make_unique<std::uint8_t[]>(VvfReader::kFrameBufferSize);
  bool stoppedEarly = false;
  while (scan.Next(frame.get()) > 0) {
    const std::uint64_t offset = reader.FrameOffset();
    if (to.offset && offset > *to.offset) {
      stoppedEarly = true;
      break;
    }
    const FrameInfo& info = reader.frameInfo();
    if (!Within(from, to, offset, info.time)) continue;
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
