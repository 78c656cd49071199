#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "storage/disk_list.h"

namespace tavrix::cli {

// tavrix disks
// The block devices that may hold a DVR disk, numbered as the viewer's disk
// dialog numbers them, each with the device to pass to --disk.
int RunDisks(const std::vector<std::string>& words) {
  const Arguments args(words, {}, {});
  args.ExpectPositionalCount(0);

  const auto disks = ListDisks();
  if (disks.empty()) {
    std::fprintf(stderr, "tavrix disks: no disks found (/sys/block lists no block device with a size)\n");
    return 1;
  }
  int unreadable = 0;
  for (const auto& disk : disks) {
    std::printf("%s  %s%s\n", FormatDiskLine(disk).c_str(), disk.devicePath.c_str(),
                disk.readable ? "" : "  (no permission to read)");
    unreadable += disk.readable ? 0 : 1;
  }
  if (unreadable > 0) {
    std::fprintf(stderr,
                 "tavrix disks: %d of %zu disks cannot be read by this user; run as root or join the group "
                 "that owns the device (often \"disk\")\n",
                 unreadable, disks.size());
  }
  return 0;
}

}  // namespace tavrix::cli
