#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {

// One block device that may hold a DVR disk.
struct DiskEntry {
  int number = 0;           // n of "DISK%d"
  std::string devicePath;   // the /dev node opened for reading
  std::string mediaType;    // "Fixed", "Removable" or "Unknown"
  std::uint64_t sizeBytes = 0;
  bool readable = false;    // this user may open the device for reading
};

// Lists up to kMaxDisks block devices under sysBlockDir (normally
// /sys/block). Devices of size 0 (idle loop and ram devices, empty card
// readers) are left out; the others, sorted by name (loop0, nvme0n1, sda,
// sdb, ...), are numbered 0, 1, 2 ... in that order, so the same set of disks
// always gets the same numbers. Needs no permission on the devices: sizes
// and media types come from sysfs, and `readable` tells whether opening the
// device for reading would be allowed.
inline constexpr int kMaxDisks = 10;
std::vector<DiskEntry> ListDisks(const std::string& sysBlockDir = "/sys/block",
                                 const std::string& devDir = "/dev");

// The list line: "DISK%d  %-10s %10lld MB", size in MiB rounded down.
std::string FormatDiskLine(const DiskEntry& disk);

}  // namespace tavrix
