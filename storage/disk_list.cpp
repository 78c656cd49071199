#include "storage/disk_list.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tavrix {
namespace {

// First line of a sysfs attribute, empty when it cannot be read.
std::string ReadAttribute(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::uint64_t ParseSectors(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  errno = 0;
  const unsigned long long sectors = std::strtoull(text.c_str(), nullptr, 10);
  return errno == 0 && sectors <= UINT64_MAX / 512 ? sectors : 0;
}

}  // namespace

std::vector<DiskEntry> ListDisks(const std::string& sysBlockDir, const std::string& devDir) {
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(sysBlockDir, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());

  std::vector<DiskEntry> disks;
  for (const auto& name : names) {
    if (static_cast<int>(disks.size()) == kMaxDisks) break;
    const std::filesystem::path device = std::filesystem::path(sysBlockDir) / name;
    // sysfs counts sizes in 512-byte sectors whatever the device's own sector size.
    const std::uint64_t sectors = ParseSectors(ReadAttribute(device / "size"));
    if (sectors == 0) continue;
    DiskEntry disk;
    disk.number = static_cast<int>(disks.size());
    disk.devicePath = (std::filesystem::path(devDir) / name).string();
    const std::string removable = ReadAttribute(device / "removable");
    disk.mediaType = removable == "1" ? "Removable" : removable == "0" ? "Fixed" : "Unknown";
    disk.sizeBytes = sectors * 512;
    disk.readable = access(disk.devicePath.c_str(), R_OK) == 0;
    disks.push_back(disk);
  }
  return disks;
}

std::string FormatDiskLine(const DiskEntry& disk) {
  char line[64];
  std::snprintf(line, sizeof line, "DISK%d  %-10s %10lld MB", disk.number, disk.mediaType.c_str(),
                static_cast<long long>(disk.sizeBytes >> 20));
  return line;
}

}  // namespace tavrix
