#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/live_options.h"
#include "cli/progress_bar.h"
#include "cli/source_problem.h"
#include "storage/block_time.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {
namespace {

// From this size on a source shows a progress bar (on a terminal only).
constexpr std::uint64_t kProgressFrom = 256ull << 20;
constexpr int kVideoChannels = 16;
constexpr int kAudioChannels = 4;

// The bytes of the source that a summary covers: all of them, or the first
// `examined` when the scan was interrupted.
struct Coverage {
  std::uint64_t size = 0;
  std::uint64_t examined = 0;
  bool partial = false;
};

struct FrameCounts {
  std::uint64_t full[kVideoChannels] = {};
  std::uint64_t update[kVideoChannels] = {};
  std::uint64_t audio[kAudioChannels] = {};
};

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string BlockTimeText(std::uint32_t blockTime) {
  return FormatCalendarTime(BlockTimeToLocal(blockTime, StandardTimeBias()));
}

void PrintText(const std::string& source, const Coverage& coverage, const VvfForwardScan::BlockSummary& blocks,
               const FrameCounts& counts) {
  std::printf("source           %s\n", source.c_str());
  std::printf("size             %llu bytes\n", static_cast<unsigned long long>(coverage.size));
  if (coverage.partial) {
    std::printf("partial          interrupted: only the first %llu bytes were scanned\n",
                static_cast<unsigned long long>(coverage.examined));
  }
  std::printf("blocks           %llu (%llu fail the check byte)\n", static_cast<unsigned long long>(blocks.blocks),
              static_cast<unsigned long long>(blocks.rejected));
  std::printf("first block time %s\n", BlockTimeText(blocks.firstTime).c_str());
  std::printf("last block time  %s\n", BlockTimeText(blocks.lastTime).c_str());
  std::printf("channel mask     0x%04X\n", blocks.channelMask);
  for (int channel = 0; channel < kVideoChannels; ++channel) {
    if (counts.full[channel] + counts.update[channel] == 0) continue;
    std::printf("video channel %-2d %llu full, %llu update\n", channel,
                static_cast<unsigned long long>(counts.full[channel]),
                static_cast<unsigned long long>(counts.update[channel]));
  }
  for (int channel = 0; channel < kAudioChannels; ++channel) {
    if (counts.audio[channel] == 0) continue;
    std::printf("audio channel %-2d %llu\n", channel, static_cast<unsigned long long>(counts.audio[channel]));
  }
  std::printf("frame intervals ");
  for (std::size_t value = 0; value < blocks.frameIntervals.size(); ++value) {
    if (blocks.frameIntervals.test(value)) std::printf(" %zu", value);
  }
  std::printf("\n");
}

void PrintJson(const std::string& source, const Coverage& coverage, const VvfForwardScan::BlockSummary& blocks,
               const FrameCounts& counts) {
  std::printf("{\"source\": %s, \"size\": %llu, ", JsonString(source).c_str(),
              static_cast<unsigned long long>(coverage.size));
  if (coverage.partial) {
    std::printf("\"partial\": true, \"scannedBytes\": %llu, ", static_cast<unsigned long long>(coverage.examined));
  }
  std::printf("\"blocks\": %llu, \"badBlocks\": %llu,\n", static_cast<unsigned long long>(blocks.blocks),
              static_cast<unsigned long long>(blocks.rejected));
  std::printf(" \"firstBlockTime\": \"%s\", \"lastBlockTime\": \"%s\", \"channelMask\": %u,\n",
              BlockTimeText(blocks.firstTime).c_str(), BlockTimeText(blocks.lastTime).c_str(), blocks.channelMask);
  std::printf(" \"video\": [");
  const char* separator = "";
  for (int channel = 0; channel < kVideoChannels; ++channel) {
    if (counts.full[channel] + counts.update[channel] == 0) continue;
    std::printf("%s{\"channel\": %d, \"full\": %llu, \"update\": %llu}", separator, channel,
                static_cast<unsigned long long>(counts.full[channel]),
                static_cast<unsigned long long>(counts.update[channel]));
    separator = ", ";
  }
  std::printf("],\n \"audio\": [");
  separator = "";
  for (int channel = 0; channel < kAudioChannels; ++channel) {
    if (counts.audio[channel] == 0) continue;
    std::printf("%s{\"channel\": %d, \"frames\": %llu}", separator, channel,
                static_cast<unsigned long long>(counts.audio[channel]));
    separator = ", ";
  }
  std::printf("],\n \"frameIntervals\": [");
  separator = "";
  for (std::size_t value = 0; value < blocks.frameIntervals.size(); ++value) {
    if (!blocks.frameIntervals.test(value)) continue;
    std::printf("%s%zu", separator, value);
    separator = ", ";
  }
  std::printf("]}\n");
}

}  // namespace

// tavrix info <source> [--disk] [--json]
// Streams once over the source; memory stays the same for any size. An
// interrupt ends the scan with a summary of what was scanned so far.
int RunInfo(const std::vector<std::string>& words) {
  const Arguments args(words, {}, {"disk", "json"});
  const std::string& source = args.RequirePositional(0, "source recording");
  args.ExpectPositionalCount(1);
  const InterruptWait interrupt;

  VvfReader reader;
  if (!reader.Open(source, args.Flag("disk"))) {
    std::fprintf(stderr, "tavrix info: %s\n", reader.LastError().c_str());
    return 1;
  }
  VvfForwardScan scan(reader);
  FrameCounts counts;
  std::unique_ptr<ProgressBar> progress;
  if (reader.Size() >= kProgressFrom) progress = std::make_unique<ProgressBar>(stderr, "MB");
  scan.SetProgressCallback([&](std::uint64_t offset) {
    if (interrupt.Pending() != 0) scan.Stop();
    if (progress) progress->Update(static_cast<double>(offset) / static_cast<double>(reader.Size()), offset >> 20);
  });
  // Counting needs the start codes only: the frames are not copied.
  while (scan.Skip() > 0) {
    const FrameInfo& info = reader.frameInfo();
    if (info.audio) {
      ++counts.audio[info.channel];
    } else if (reader.FrameCode() == kFullPictureCode) {
      ++counts.full[info.channel];
    } else {
      ++counts.update[info.channel];
    }
  }

  if (progress) progress->Finish();

  const auto& blocks = scan.blocks();
  const Coverage coverage{reader.Size(), scan.examinedTo(), scan.stopped()};
  if (blocks.valid() > 0) {
    if (args.Flag("json")) {
      PrintJson(source, coverage, blocks, counts);
    } else {
      PrintText(source, coverage, blocks, counts);
    }
  }
  if (coverage.partial) {
    std::fprintf(stderr, "tavrix info: interrupted after %llu of %llu bytes; the summary is partial\n",
                 static_cast<unsigned long long>(coverage.examined), static_cast<unsigned long long>(coverage.size));
    return 128 + interrupt.Pending();
  }
  const std::string problem = SourceProblem(source, args.Flag("disk"), reader, scan);
  if (!problem.empty()) {
    std::fprintf(stderr, "tavrix info: %s\n", problem.c_str());
    return 1;
  }
  return 0;
}

}  // namespace tavrix::cli
