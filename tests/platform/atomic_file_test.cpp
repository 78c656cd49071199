#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_size_limit.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::FileSizeLimit;
using testing::TempDirectory;

std::string Read(const std::string& path) {
  const auto bytes = testing::ReadWholeFile(path);
  return {bytes.begin(), bytes.end()};
}

void Put(const std::string& path, const std::string& text) {
  AtomicFile file;
  ASSERT_TRUE(file.Open(path) && file.Write(text.data(), text.size()) && file.Commit()) << file.error();
}

std::vector<std::string> SortedEntries(const TempDirectory& dir) {
  auto entries = dir.Entries();
  std::sort(entries.begin(), entries.end());
  return entries;
}

mode_t Mode(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

// Runs as an ordinary user for its lifetime when the tests run as root, so
// that folder permissions apply.
class UnprivilegedScope {
 public:
  UnprivilegedScope() : wasRoot_(geteuid() == 0) {
    if (wasRoot_) {
      EXPECT_EQ(seteuid(65534), 0);
    }
  }
  UnprivilegedScope(const UnprivilegedScope&) = delete;
  UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;
  ~UnprivilegedScope() {
    if (wasRoot_) {
      EXPECT_EQ(seteuid(0), 0);
    }
  }

 private:
  bool wasRoot_;
};

TEST(AtomicFile, CommitPutsTheWholeFileInPlace) {
  TempDirectory dir;
  const std::string target = dir.File("out.bin");
  AtomicFile file;
  ASSERT_TRUE(file.Open(target)) << file.error();
  EXPECT_EQ(file.target(), target);
  EXPECT_FALSE(std::filesystem::exists(target)) << "nothing under the name before Commit";
  // The temporary file is hidden, beside the target.
  EXPECT_EQ(std::filesystem::path(file.temporaryPath()).parent_path(), dir.path());
  EXPECT_EQ(std::filesystem::path(file.temporaryPath()).filename().string().rfind(".out.bin.", 0), 0u);

  ASSERT_TRUE(file.Write("xxxx body", 9));
  ASSERT_TRUE(file.Write(" end", 4));
  ASSERT_TRUE(file.WriteAt(0, "HEAD", 4));
  ASSERT_TRUE(file.Commit()) << file.error();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(Read(target), "HEAD body end");
  EXPECT_EQ(SortedEntries(dir), std::vector<std::string>{"out.bin"});

  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(Mode(target), 0666 & ~mask) << "an ordinary file, not a private temporary one";
  EXPECT_FALSE(file.Write("more", 4)) << "nothing is written after Commit";
  EXPECT_FALSE(file.Commit());
}

TEST(AtomicFile, CommitReplacesAnEarlierFileAndWorksInTheCurrentFolder) {
  TempDirectory dir;
  Put(dir.File("kept.txt"), "earlier");
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  Put("kept.txt", "newer");  // a bare name: the temporary file goes in the current folder
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_EQ(Read(dir.File("kept.txt")), "newer");
  EXPECT_EQ(SortedEntries(dir), std::vector<std::string>{"kept.txt"});
}

// However the file is left unfinished, the earlier file stays and no
// temporary file remains.
TEST(AtomicFile, AnUnfinishedFileLeavesTheEarlierOneUntouched) {
  enum class Ending { kAbandon, kDestroy, kOpenAnother };
  for (const Ending ending : {Ending::kAbandon, Ending::kDestroy, Ending::kOpenAnother}) {
    SCOPED_TRACE(static_cast<int>(ending));
    TempDirectory dir;
    const std::string target = dir.File("result.txt");
    Put(target, "earlier result");
    {
      AtomicFile file;
      ASSERT_TRUE(file.Open(target));
      ASSERT_TRUE(file.Write("half of a new one", 17));
      if (ending == Ending::kAbandon) {
        file.Abandon();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(file.Commit());
      }
      if (ending == Ending::kOpenAnother) {
        ASSERT_TRUE(file.Open(dir.File("other.txt")));
        file.Abandon();
      }
    }
    EXPECT_EQ(Read(target), "earlier result");
    EXPECT_EQ(SortedEntries(dir), std::vector<std::string>{"result.txt"});
  }
}

TEST(AtomicFile, AFolderThatCannotHoldTheFileFailsWithTheReason) {
  TempDirectory dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);  // open to the ordinary user
  Put(dir.File("plain"), "a file, not a folder");
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.File("locked").c_str(), 0555), 0);
  struct Case {
    std::string target;
    std::string reason;
  };
  const Case cases[] = {
      {dir.File("missing/x.avi"), "cannot create " + dir.File("missing/x.avi") + ": No such file or directory"},
      {dir.File("plain/x.avi"), "cannot create " + dir.File("plain/x.avi") + ": Not a directory"},
      {dir.File("folder"), "cannot write " + dir.File("folder") + ": not a regular file"},
      {dir.File("locked/x.avi"), "cannot create " + dir.File("locked/x.avi") + ": Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    AtomicFile file;
    bool opened = false;
    {
      UnprivilegedScope user;
      opened = file.Open(c.target);
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(file.error(), c.reason);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_EQ(SortedEntries(dir), (std::vector<std::string>{"folder", "locked", "plain"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("locked")));
}

TEST(AtomicFile, AFailedWriteRemovesTheTemporaryFileAndKeepsTheEarlierOne) {
  TempDirectory dir;
  const std::string target = dir.File("big.bin");
  Put(target, "earlier");
  AtomicFile file;
  ASSERT_TRUE(file.Open(target));
  const std::vector<char> chunk(64 * 1024, 'x');
  bool written = true;
  {
    FileSizeLimit limit(100 * 1024);
    for (int i = 0; i < 4 && written; ++i) written = file.Write(chunk.data(), chunk.size());
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(file.error(), "cannot write " + target + ": File too large");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Read(target), "earlier");
  EXPECT_EQ(SortedEntries(dir), std::vector<std::string>{"big.bin"});
}

TEST(AtomicFile, AFailedRenameRemovesTheTemporaryFile) {
  TempDirectory dir;
  const std::string target = dir.File("taken");
  AtomicFile file;
  ASSERT_TRUE(file.Open(target));
  ASSERT_TRUE(file.Write("complete", 8));
  // Something else takes the name while the file is written.
  ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
  Put(target + "/inside", "kept");
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(file.error(), "cannot put the finished file in place as " + target + ": Is a directory");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(SortedEntries(dir), std::vector<std::string>{"taken"});
  EXPECT_EQ(Read(target + "/inside"), "kept");
}

}  // namespace
}  // namespace tavrix
