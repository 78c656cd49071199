#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "app/ini_document.h"
#include "app/profile_file.h"
#include "app/profile_settings.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::TempDirectory;

constexpr const char* kHome = "/home/viewer";

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

ProfileSettings LoadFrom(const std::string& path, std::string& warning) {
  ProfileFile profile(path);
  return profile.Load(kHome, warning);
}

ProfileSettings Changed() {
  ProfileSettings settings = ProfileSettings::Defaults(kHome);
  settings.capturePath = "/srv/captures";
  settings.localRecordingPath = "/srv/recordings";
  settings.alwaysOnTop = 1;
  settings.showTime = 0;
  settings.repeat = 1;
  settings.timeFormat = "%d.%m.%Y %H:%M";
  settings.volume = 40000;
  settings.mute = 1;
  settings.ipAddress = "dvr.example";
  settings.port = 9000;
  settings.dynamicIp = 1;
  settings.useDirectDraw = 0;
  settings.autoReconnect = 0;
  settings.timeoutMs = 12000;
  settings.ddnsIp = "10.1.2.3";
  settings.ddnsPort = 1900;
  settings.dvrName = "DVR042";
  settings.mouseMode = 2;
  return settings;
}

TEST(ProfileSettings, DefaultsAreThoseOfTheProfileTable) {
  const ProfileSettings settings = ProfileSettings::Defaults(kHome);
  EXPECT_EQ(settings.capturePath, "/home/viewer/Capture");
  EXPECT_EQ(settings.localRecordingPath, "/home/viewer/Capture");
  EXPECT_EQ(settings.timeFormat, "%Y/%m/%d %H:%M:%S");
  EXPECT_EQ(settings.showTime, 1);
  EXPECT_EQ(settings.volume, 0);
  EXPECT_EQ(settings.port, 8841);
  EXPECT_EQ(settings.useDirectDraw, 1);
  EXPECT_EQ(settings.autoReconnect, 1);
  EXPECT_EQ(settings.timeoutMs, 7000u);
  EXPECT_EQ(settings.ddnsIp, settings.ipAddress);
  EXPECT_EQ(settings.ddnsPort, 1800);
  EXPECT_EQ(settings.dvrName, "DVR000");
  EXPECT_EQ(settings.mouseMode, 1);
}

TEST(ProfileFile, SaveWritesTheEighteenKeysInOrderAndLoadReadsThemBack) {
  TempDirectory directory;
  const std::string path = directory.File("config/tavrix/tavrix-viewer.ini");
  ProfileFile profile(path);
  std::string warning, error;
  profile.Load(kHome, warning);
  ASSERT_TRUE(profile.Save(Changed(), error)) << error;

  EXPECT_EQ(ReadText(path),
            "[Tavrix Viewer]\n"
            "Capture Path=/srv/captures\n"
            "Local Recording Path=/srv/recordings\n"
            "AlwaysOnTop=1\n"
            "Show Time=0\n"
            "Repeat=1\n"
            "Time Format=%d.%m.%Y %H:%M\n"
            "Volume=40000\n"
            "Mute=1\n"
            "IP Address=dvr.example\n"
            "Port=9000\n"
            "DynamicIp=1\n"
            "Use DDraw=0\n"
            "Auto Reconnection=0\n"
            "Timeout=12\n"
            "Ddns Ip=10.1.2.3\n"
            "Ddns Port=1900\n"
            "DvrName=DVR042\n"
            "Enable && Hidden cusor on DVR side=2\n");
  EXPECT_EQ(LoadFrom(path, warning), Changed());
  EXPECT_EQ(warning, "");
}

TEST(ProfileFile, TimeoutIsSecondsInTheFileAndMillisecondsInMemory) {
  TempDirectory directory;
  const std::string path = directory.File("viewer.ini");
  WriteText(path, "[Tavrix Viewer]\nTimeout=3\n");
  ProfileFile profile(path);
  std::string warning, error;
  ProfileSettings settings = profile.Load(kHome, warning);
  EXPECT_EQ(settings.timeoutMs, 3000u);
  ASSERT_TRUE(profile.Save(settings, error)) << error;
  EXPECT_NE(ReadText(path).find("\nTimeout=3\n"), std::string::npos);
}

TEST(ProfileFile, MissingFileAndMissingKeysGiveTheDefaultsWithoutWarning) {
  TempDirectory directory;
  std::string warning;
  EXPECT_EQ(LoadFrom(directory.File("absent.ini"), warning), ProfileSettings::Defaults(kHome));
  EXPECT_EQ(warning, "");

  const std::string path = directory.File("partial.ini");
  WriteText(path, "[Tavrix Viewer]\nMute=1\n");
  ProfileSettings expected = ProfileSettings::Defaults(kHome);
  expected.mute = 1;
  EXPECT_EQ(LoadFrom(path, warning), expected);
  EXPECT_EQ(warning, "");
}

// Values outside their key's range, or not whole numbers, give the key's
// default and name the key in the one warning line.
TEST(ProfileFile, BadValuesGiveTheKeysDefault) {
  struct Case {
    const char* line;
    const char* key;
  };
  const Case cases[] = {
      {"Port=70000", "Port"},
      {"Port=0", "Port"},
      {"Port=-1", "Port"},
      {"Port=88 41", "Port"},
      {"Ddns Port=65536", "Ddns Port"},
      {"Timeout=0", "Timeout"},
      {"Timeout=-1", "Timeout"},
      {"Timeout=4294968", "Timeout"},
      {"Timeout=7s", "Timeout"},
      {"Timeout=99999999999999999999999", "Timeout"},
      {"Volume=65536", "Volume"},
      {"Show Time=yes", "Show Time"},
      {"Mute=2", "Mute"},
      {"Enable && Hidden cusor on DVR side=3", "Enable && Hidden cusor on DVR side"},
  };
  TempDirectory directory;
  const std::string path = directory.File("bad.ini");
  for (const Case& bad : cases) {
    WriteText(path, std::string("[Tavrix Viewer]\n") + bad.line + "\n");
    std::string warning;
    EXPECT_EQ(LoadFrom(path, warning), ProfileSettings::Defaults(kHome)) << bad.line;
    EXPECT_NE(warning.find(std::string("\"") + bad.key + "\""), std::string::npos) << warning;
    EXPECT_EQ(warning.find('\n'), std::string::npos);
  }
}

TEST(ProfileFile, RangeLimitsThemselvesAreAccepted) {
  TempDirectory directory;
  const std::string path = directory.File("edges.ini");
  WriteText(path, "[Tavrix Viewer]\nPort=65535\nDdns Port=1\nTimeout=4294967\nVolume=65535\n");
  std::string warning;
  const ProfileSettings settings = LoadFrom(path, warning);
  EXPECT_EQ(warning, "");
  EXPECT_EQ(settings.port, 65535);
  EXPECT_EQ(settings.ddnsPort, 1);
  EXPECT_EQ(settings.timeoutMs, 4'294'967'000u);
  EXPECT_EQ(settings.volume, 65535);
}

TEST(ProfileFile, DamagedOrUnreadableFilesGiveDefaultsAndOneWarning) {
  TempDirectory directory;
  const std::string binary = directory.File("binary.ini");
  WriteText(binary, std::string("[Tavrix Viewer]\nPort=9000\n\0\xff\xfe garbage", 36));
  const std::string folder = directory.File("folder.ini");
  std::filesystem::create_directory(folder);
  const std::string huge = directory.File("huge.ini");
  WriteText(huge, "[Tavrix Viewer]\nPort=9000\n" + std::string(ProfileFile::kMaxBytes, ';'));

  for (const std::string& path : {binary, folder, huge}) {
    std::string warning;
    EXPECT_EQ(LoadFrom(path, warning), ProfileSettings::Defaults(kHome)) << path;
    EXPECT_NE(warning.find(path), std::string::npos) << warning;
    EXPECT_EQ(warning.find('\n'), std::string::npos);
  }
}

TEST(ProfileFile, SavingOverADamagedFileWritesACleanProfile) {
  TempDirectory directory;
  const std::string path = directory.File("binary.ini");
  WriteText(path, std::string("Port=9\0\0\0", 9));
  ProfileFile profile(path);
  std::string warning, error;
  const ProfileSettings settings = profile.Load(kHome, warning);
  ASSERT_TRUE(profile.Save(settings, error)) << error;
  const std::string text = ReadText(path);
  EXPECT_EQ(text.rfind("[Tavrix Viewer]\n", 0), 0u);
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(LoadFrom(path, warning), settings);
}

TEST(ProfileFile, SaveKeepsWhatElseTheFileHolds) {
  TempDirectory directory;
  const std::string path = directory.File("kept.ini");
  WriteText(path,
            "; written by hand\r\n"
            "[Other]\r\n"
            "Port=1\r\n"
            "\r\n"
            "[tavrix viewer]\r\n"
            "port = 9000\r\n"
            "Window Layout=wide\r\n"
            "Port=9001\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=y\r\n");
  ProfileFile profile(path);
  std::string warning, error;
  ProfileSettings settings = profile.Load(kHome, warning);
  // Names match without regard to case, and the first of two keys counts.
  EXPECT_EQ(settings.port, 9000);
  settings.port = 8000;
  ASSERT_TRUE(profile.Save(settings, error)) << error;

  const std::string text = ReadText(path);
  EXPECT_EQ(text.rfind("; written by hand\n[Other]\nPort=1\n\n[tavrix viewer]\nPort=8000\nWindow Layout=wide\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\nEnable && Hidden cusor on DVR side=1\n\n[Last]\nx=y\n"), std::string::npos) << text;
  EXPECT_EQ(LoadFrom(path, warning).port, 8000);
}

TEST(IniDocument, ValuesKeepTheirBlanksAndQuotesThroughAWriteAndARead) {
  IniDocument document("[S]\nplain =  spaced out  \nquoted=\"  kept  \"\nsingle='x'\n");
  EXPECT_EQ(document.Get("S", "plain"), "spaced out");
  EXPECT_EQ(document.Get("S", "quoted"), "  kept  ");
  EXPECT_EQ(document.Get("S", "single"), "x");
  EXPECT_EQ(document.Get("S", "absent"), std::nullopt);
  EXPECT_EQ(document.Get("Absent", "plain"), std::nullopt);

  for (const std::string value : {" lead", "trail ", "\"in quotes\"", "C:\\Capture", "a=b", ""}) {
    IniDocument written;
    written.Set("S", "key", value);
    EXPECT_EQ(IniDocument(written.Text()).Get("S", "key"), value) << written.Text();
  }
}

TEST(IniDocument, ALineBreakInAValueCannotAddAKey) {
  IniDocument document;
  document.Set("Tavrix Viewer", "DvrName", "DVR1\nPort=1\r\n[Evil]");
  const IniDocument reread(document.Text());
  EXPECT_EQ(reread.Get("Tavrix Viewer", "Port"), std::nullopt);
  EXPECT_EQ(reread.Get("Evil", "x"), std::nullopt);
  EXPECT_EQ(reread.Get("Tavrix Viewer", "DvrName"), "DVR1 Port=1  [Evil]");
}

TEST(ProfileFile, AFailedSaveReportsItAndLeavesNothingBehind) {
  TempDirectory directory;
  // The folder's place is taken by a file.
  WriteText(directory.File("blocked"), "x");
  ProfileFile blocked(directory.File("blocked/tavrix/viewer.ini"));
  std::string error;
  EXPECT_FALSE(blocked.Save(ProfileSettings::Defaults(kHome), error));
  EXPECT_NE(error.find("blocked/tavrix/viewer.ini"), std::string::npos) << error;

  // The profile's own name is taken by a folder: the rename fails.
  std::filesystem::create_directory(directory.File("taken.ini"));
  ProfileFile taken(directory.File("taken.ini"));
  error.clear();
  EXPECT_FALSE(taken.Save(ProfileSettings::Defaults(kHome), error));
  EXPECT_FALSE(error.empty());
  std::vector<std::string> entries = directory.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"blocked", "taken.ini"}));
}

TEST(ProfilePath, FollowsXdgConfigHomeOrFallsBackToDotConfig) {
  EXPECT_EQ(ProfilePath("tavrix-viewer", "/xdg", "/home/u"), "/xdg/tavrix/tavrix-viewer.ini");
  EXPECT_EQ(ProfilePath("tavrix-viewer", nullptr, "/home/u"), "/home/u/.config/tavrix/tavrix-viewer.ini");
  EXPECT_EQ(ProfilePath("tavrix-viewer", "", "/home/u"), "/home/u/.config/tavrix/tavrix-viewer.ini");
  // A relative XDG_CONFIG_HOME is not to be used.
  EXPECT_EQ(ProfilePath("tavrix-viewer", "relative", "/home/u"), "/home/u/.config/tavrix/tavrix-viewer.ini");
}

}  // namespace
}  // namespace tavrix
