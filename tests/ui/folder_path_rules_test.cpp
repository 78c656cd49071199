#include "ui/folder_path_rules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::TempDirectory;

struct SyntaxCase {
  const char* name;  // the test's name
  std::string path;
  FolderCheck expected;
};

void PrintTo(const SyntaxCase& syntaxCase, std::ostream* out) {
  *out << syntaxCase.name;
}

class FolderSyntaxTest : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(FolderSyntaxTest, ChecksWithoutTouchingTheDisk) {
  EXPECT_EQ(CheckFolderPath(GetParam().path, false), GetParam().expected) << GetParam().path;
}

constexpr FolderCheck kValid = FolderCheck::kValid;
constexpr FolderCheck kInvalid = FolderCheck::kInvalid;

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderSyntaxTest,
    ::testing::Values(
        // The root alone, plain names, and what Linux allows in a name.
        SyntaxCase{"Root", "/", kValid}, SyntaxCase{"Plain", "/home/user/Capture", kValid},
        SyntaxCase{"DotInside", "/data/my.captures", kValid}, SyntaxCase{"Hidden", "/home/user/.cache", kValid},
        SyntaxCase{"Blanks", "/a/ spaced name ", kValid}, SyntaxCase{"Punctuation", "/what?/c:d|e<f>\"g\"*", kValid},
        SyntaxCase{"Utf8", "/media/\xc3\xa9t\xc3\xa9", kValid}, SyntaxCase{"ThreeDots", "/a/...", kValid},
        // Not absolute.
        SyntaxCase{"Empty", "", kInvalid}, SyntaxCase{"Relative", "Capture", kInvalid},
        SyntaxCase{"DotRelative", "./Capture", kInvalid}, SyntaxCase{"Tilde", "~/Capture", kInvalid},
        SyntaxCase{"DriveLetter", "C:\\Capture", kInvalid},
        // Empty names: a trailing slash after a name, doubled slashes.
        SyntaxCase{"TrailingSlash", "/tmp/", kInvalid}, SyntaxCase{"TwoSlashes", "//", kInvalid},
        SyntaxCase{"NetworkStyle", "//server/share", kInvalid}, SyntaxCase{"DoubledSlash", "/a//b", kInvalid},
        // Names that point elsewhere than the text says.
        SyntaxCase{"Dot", "/.", kInvalid}, SyntaxCase{"DotDotAtEnd", "/tmp/..", kInvalid},
        SyntaxCase{"DotDotInside", "/tmp/../etc/x", kInvalid}, SyntaxCase{"DotInsidePath", "/tmp/./x", kInvalid},
        // A NUL would cut the name the system sees.
        SyntaxCase{"Nul", std::string("/tmp/a\0b", 8), kInvalid},
        // Whole paths up to 4,095 bytes, never one more (a name too long for
        // the file system is for mkdir to refuse).
        SyntaxCase{"OneName4095Bytes", "/" + std::string(4094, 'a'), kValid},
        SyntaxCase{"OneName4096Bytes", "/" + std::string(4095, 'a'), kInvalid},
        SyntaxCase{"TwoNames4095Bytes", "/tmp/" + std::string(4090, 'a'), kValid},
        SyntaxCase{"TwoNames4096Bytes", "/tmp/" + std::string(4091, 'a'), kInvalid}),
    [](const ::testing::TestParamInfo<SyntaxCase>& info) { return std::string(info.param.name); });

class FolderCreationTest : public ::testing::Test {
 protected:
  void MakeFile(const std::string& path) { std::ofstream(path) << "not a folder"; }

  TempDirectory temp_;
  int questions_ = 0;
  std::function<bool()> Answer(bool yes) {
    return [this, yes] {
      ++questions_;
      return yes;
    };
  }
};

TEST_F(FolderCreationTest, CreatesEveryMissingLevelInOrder) {
  const std::string path = temp_.File("one/two/three");
  EXPECT_EQ(CheckFolderPath(path, true), FolderCheck::kValid);
  EXPECT_TRUE(IsDirectory(temp_.File("one/two/three")));
  // Existing levels are no obstacle the second time.
  EXPECT_EQ(CheckFolderPath(path, true), FolderCheck::kValid);
}

TEST_F(FolderCreationTest, InvalidPathCreatesNothing) {
  EXPECT_EQ(CheckFolderPath(temp_.File("new/../other"), true), FolderCheck::kInvalid);
  EXPECT_EQ(CheckFolderPath(temp_.File("new//other"), true), FolderCheck::kInvalid);
  EXPECT_EQ(CheckFolderPath(temp_.File("new/") + std::string(4096, 'x'), true), FolderCheck::kInvalid);
  EXPECT_TRUE(temp_.Entries().empty());
}

TEST_F(FolderCreationTest, FileInTheWayCannotBeCreated) {
  MakeFile(temp_.File("file"));
  EXPECT_EQ(CheckFolderPath(temp_.File("file"), true), FolderCheck::kCannotCreate);
  EXPECT_EQ(CheckFolderPath(temp_.File("file/under"), true), FolderCheck::kCannotCreate);
  // A name longer than the file system takes fails when it is made.
  EXPECT_EQ(CheckFolderPath(temp_.File(std::string(300, 'n')), true), FolderCheck::kCannotCreate);
}

TEST_F(FolderCreationTest, ExistingDirectoryIsAcceptedWithoutAQuestion) {
  EXPECT_EQ(AcceptFolder(temp_.path(), Answer(false)), FolderDecision::kAccepted);
  EXPECT_EQ(AcceptFolder("/", Answer(false)), FolderDecision::kAccepted);
  ASSERT_EQ(symlink(temp_.path().c_str(), temp_.File("link").c_str()), 0);
  EXPECT_EQ(AcceptFolder(temp_.File("link"), Answer(false)), FolderDecision::kAccepted);
  EXPECT_EQ(questions_, 0);
}

TEST_F(FolderCreationTest, ExistingFileIsNeverTakenForAFolder) {
  MakeFile(temp_.File("capture"));
  EXPECT_EQ(AcceptFolder(temp_.File("capture"), Answer(true)), FolderDecision::kCannotCreate);
  EXPECT_EQ(questions_, 0);
  // Below a file nothing can exist: asked, then refused.
  EXPECT_EQ(AcceptFolder(temp_.File("capture/day"), Answer(true)), FolderDecision::kCannotCreate);
  EXPECT_EQ(questions_, 1);
}

TEST_F(FolderCreationTest, MissingFolderIsCreatedOnlyOnYes) {
  const std::string path = temp_.File("2024/March");
  EXPECT_EQ(AcceptFolder(path, Answer(false)), FolderDecision::kDeclined);
  EXPECT_EQ(questions_, 1);
  EXPECT_TRUE(temp_.Entries().empty());

  EXPECT_EQ(AcceptFolder(path, Answer(true)), FolderDecision::kAccepted);
  EXPECT_EQ(questions_, 2);
  EXPECT_TRUE(IsDirectory(path));
}

TEST_F(FolderCreationTest, InvalidPathIsRefusedBeforeAnyQuestion) {
  EXPECT_EQ(AcceptFolder(temp_.File("new/"), Answer(true)), FolderDecision::kInvalid);
  EXPECT_EQ(AcceptFolder("relative/new", Answer(true)), FolderDecision::kInvalid);
  EXPECT_EQ(AcceptFolder(temp_.File(std::string(4096, 'x')), Answer(true)), FolderDecision::kInvalid);
  EXPECT_EQ(questions_, 0);
  EXPECT_TRUE(temp_.Entries().empty());
}

TEST(FolderPathRules, MessagesQuoteThePathOnALineOfItsOwn) {
  EXPECT_EQ(InvalidFolderMessage("/a b"), "The folder:\n\n/a b\n\nis invalid. Please reenter.");
  EXPECT_EQ(UncreatableFolderMessage("/x"), "The folder:\n\n/x\n\ncan not be created. Please double check.");
  EXPECT_EQ(CreateFolderQuestion("/y"),
            "The folder:\n\n/y\n\ndoes not exist. Do you want the folder to be created?");
}

}  // namespace
}  // namespace tavrix
