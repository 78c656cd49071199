#include "storage/disk_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// A stand-in for /sys/block and /dev with the devices a test needs.
class FakeSysBlock {
 public:
  void Add(const std::string& name, const std::string& sectors, const char* removable, bool deviceNode) {
    const fs::path device = fs::path(sys()) / name;
    fs::create_directories(device);
    std::ofstream(device / "size") << sectors << "\n";
    if (removable) std::ofstream(device / "removable") << removable << "\n";
    if (deviceNode) std::ofstream(fs::path(dev()) / name) << "";
  }
  std::string sys() const { return root_.path() + "/sys"; }
  std::string dev() const { return root_.path(); }

 private:
  testing::TempDirectory root_;
};

TEST(DiskList, ListsNonEmptyDevicesInNameOrder) {
  FakeSysBlock fake;
  fake.Add("sdb", "156301488", "0", true);  // 80,026,361,856 bytes
  fake.Add("loop0", "0", "0", true);        // idle loop device
  fake.Add("sda", "2048", "1", false);      // no device node: cannot be opened
  fake.Add("sr0", "4096", nullptr, true);   // removable flag unknown
  fake.Add("ram0", "garbage", "0", true);

  const auto disks = ListDisks(fake.sys(), fake.dev());
  ASSERT_EQ(disks.size(), 3u);
  EXPECT_EQ(disks[0].devicePath, fake.dev() + "/sda");
  EXPECT_FALSE(disks[0].readable);
  EXPECT_EQ(disks[1].devicePath, fake.dev() + "/sdb");
  EXPECT_TRUE(disks[1].readable);
  EXPECT_EQ(disks[1].sizeBytes, 80026361856u);

  EXPECT_EQ(FormatDiskLine(disks[0]), "DISK0  Removable           1 MB");
  EXPECT_EQ(FormatDiskLine(disks[1]), "DISK1  Fixed           76319 MB");
  EXPECT_EQ(FormatDiskLine(disks[2]), "DISK2  Unknown             2 MB");
}

TEST(DiskList, StopsAtTenAndSurvivesAMissingDirectory) {
  FakeSysBlock fake;
  for (int i = 0; i < 12; ++i) fake.Add("sd" + std::string(1, static_cast<char>('a' + i)), "8", "0", true);
  const auto disks = ListDisks(fake.sys(), fake.dev());
  ASSERT_EQ(disks.size(), static_cast<std::size_t>(kMaxDisks));
  EXPECT_EQ(disks.back().number, 9);
  EXPECT_EQ(disks.back().devicePath, fake.dev() + "/sdj");

  EXPECT_TRUE(ListDisks(fake.dev() + "/nowhere", fake.dev()).empty());
}

}  // namespace
}  // namespace tavrix
