#include "core/settings_store.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  PlatformFolders Folders() const {
    return {temp.Path() + "home/", temp / "Music/Sonvarek Maker", temp.Path() + "tmp/"};
  }
  void WriteSettingsFile(const std::string& text) {
    fs::create_directories(temp / "home");
    test::WriteWholeFile(SettingsFilePath(Folders()), text);
  }
  Settings Load() { return LoadSettings(Folders(), notice); }

  test::TempFolder temp;
  RecordingNotice notice;
};

TEST_F(SettingsStoreTest, AMissingFileGivesEveryDefaultAndMakesTheFolders) {
  Settings settings = Load();
  Settings defaults = DefaultSettings(Folders());
  EXPECT_EQ(settings.BitRate, 8);
  EXPECT_EQ(settings.NamingRule, "<number>-<title>");
  EXPECT_EQ(settings.ReplaceStr[9], " ");
  EXPECT_EQ(settings.StatusLineColor, 11847880);
  EXPECT_EQ(settings.OggComment, defaults.OggComment);
  EXPECT_EQ(settings.OutputFolder, temp / "Music/Sonvarek Maker");
  EXPECT_EQ(settings.effectiveOutputFolder, temp / "Music/Sonvarek Maker/");
  EXPECT_EQ(settings.temporaryFolder, temp / "tmp/");
  EXPECT_TRUE(fs::is_directory(settings.effectiveOutputFolder));
  EXPECT_TRUE(fs::is_directory(settings.temporaryFolder));
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(SettingsStoreTest, OutOfRangeValuesAreCorrectedOnLoad) {
  struct Case {
    const char* section;
    const char* key;
    const char* stored;
    int32_t Settings::*field;
    int32_t expected;
  } cases[] = {
      {"MP3", "MP3Encoder", "1", &Settings::MP3Encoder, 0},
      {"MP3", "BitRate", "14", &Settings::BitRate, 8},
      {"MP3", "BitRate", "13", &Settings::BitRate, 13},
      {"MP3", "BitRate", "abc", &Settings::BitRate, 0},  // present but not a number: 0, as on Windows
      {"MP3", "BitRate", "", &Settings::BitRate, 0},
      {"MP3", "MaxBitRate", "-1", &Settings::MaxBitRate, 13},
      {"MP3", "MPEGQuality", "4", &Settings::MPEGQuality, 2},
      {"MP3", "VBRQuality", "9", &Settings::VBRQuality, 4},
      {"MP3", "StereoMode", "5", &Settings::StereoMode, 0},
      {"MP3", "StereoMode", "2", &Settings::StereoMode, 0},
      {"MP3", "StereoMode", "1", &Settings::StereoMode, 1},
      {"MP3", "StereoMode", "-3", &Settings::StereoMode, 0},
      {"General", "OutputFormat", "3", &Settings::OutputFormat, 0},
      {"General", "OutputFormat", "2", &Settings::OutputFormat, 2},
      {"CDROM", "CDROMDriver", "-2", &Settings::CDROMDriver, 0},
      {"CDROM", "RetryTimes", "0", &Settings::RetryTimes, 5},
      {"CDROM", "BufferSize", "0", &Settings::BufferSize, 26},
      {"CDROM", "BufferSize", "256", &Settings::BufferSize, 26},
      {"CDROM", "BufferSize", "255", &Settings::BufferSize, 255},
      {"CDROM", "BufferSize", "1", &Settings::BufferSize, 1},
      {"CDROM", "DeviceType", "12", &Settings::DeviceType, 0},
      {"CDROM", "DeviceType", "11", &Settings::DeviceType, 11},
      {"CDROM", "LeadingFrame", "-10", &Settings::LeadingFrame, -10},
      {"Misc", "WindowWidth", "900", &Settings::WindowWidth, 600},
      {"Misc", "WindowWidth", "300", &Settings::WindowWidth, 420},
      {"Misc", "WindowWidth", "800", &Settings::WindowWidth, 800},
      {"Misc", "WindowHeight", "700", &Settings::WindowHeight, 380},
      {"Misc", "WindowHeight", "100", &Settings::WindowHeight, 352},
      {"Misc", "WindowLeft", "-1", &Settings::WindowLeft, 130},
      {"Misc", "WindowTop", "-1", &Settings::WindowTop, 90},
      {"Misc", "NormalizeRatio", "0", &Settings::NormalizeRatio, 95},
      {"Misc", "NormalizeRatio", "101", &Settings::NormalizeRatio, 95},
      {"Misc", "NormalizeRatio", "100", &Settings::NormalizeRatio, 100},
      {"Misc", "ThreadPriority", "9", &Settings::ThreadPriority, 9},  // corrected when a batch starts
      {"CDDB", "ProxyPort", "8080", &Settings::ProxyPort, 8080},
  };
  for (const Case& c : cases) {
    ProfileFile profile;
    profile.SetString(c.section, c.key, c.stored);
    Settings settings = ReadSettings(profile, Folders());
    EXPECT_EQ(settings.*c.field, c.expected) << c.key << "=" << c.stored;
  }
}

TEST_F(SettingsStoreTest, EmptyTextsFallBackWhereTheyWouldBreakSomething) {
  WriteSettingsFile("[Misc]\nReplaceStr10=\nTEMPDIRECTORY=\nReplaceStr01=\n[General]\nOutputFolder=\n");
  Settings settings = Load();
  EXPECT_EQ(settings.ReplaceStr[9], " ");
  EXPECT_EQ(settings.ReplaceStr[0], "");  // only the blank's replacement is corrected
  EXPECT_EQ(settings.temporaryFolder, temp / "tmp/");
  EXPECT_EQ(settings.effectiveOutputFolder, temp / "Music/Sonvarek Maker/");  // never the file system's root
}

TEST_F(SettingsStoreTest, FoldersGetExactlyOneTrailingSlash) {
  WriteSettingsFile("[General]\nOutputFolder=  " + temp / "out" + "////  \n[Misc]\nTEMPDIRECTORY=" + temp / "t" +
                    "\\\\\n");
  Settings settings = Load();
  EXPECT_EQ(settings.effectiveOutputFolder, temp / "out/");
  EXPECT_EQ(settings.TEMPDIRECTORY, temp / "t/");
  EXPECT_EQ(settings.temporaryFolder, temp / "t/");
  EXPECT_TRUE(fs::is_directory(temp / "out"));
}

TEST_F(SettingsStoreTest, FoldersThatCannotBeMadeFallBackToTheDefaults) {
  test::WriteWholeFile(temp / "blocker", "a file where a folder should be");
  WriteSettingsFile("[General]\nOutputFolder=" + temp / "blocker/out" + "\n[Misc]\nTEMPDIRECTORY=" + temp /
                    "blocker/tmp" + "\n");
  PlatformFolders folders = Folders();
  folders.systemTemporaryFolder = temp / "systemtmp/";
  Settings settings = LoadSettings(folders, notice);
  EXPECT_EQ(settings.OutputFolder, temp / "Music/Sonvarek Maker");
  EXPECT_EQ(settings.effectiveOutputFolder, temp / "Music/Sonvarek Maker/");
  EXPECT_EQ(settings.temporaryFolder, temp / "systemtmp/");
  EXPECT_EQ(notice.texts, (std::vector<std::string>{
                              "Can't open  output directory!",
                              "The output folder " + temp / "Music/Sonvarek Maker" + " is used instead.",
                              "Can't open temp directory!",
                              "The temporary folder " + temp / "systemtmp" + " is used instead.",
                          }));
}

TEST_F(SettingsStoreTest, EachFolderFailureIsToldOnceAndLoadingGoesOn) {
  test::WriteWholeFile(temp / "blocker", "x");
  WriteSettingsFile("[General]\nOutputFolder=" + temp / "blocker/out" + "\n[Misc]\nTEMPDIRECTORY=" + temp /
                    "blocker/tmp" + "\nNamingRule=<title>\n");
  PlatformFolders folders = Folders();
  folders.defaultOutputFolder = temp / "blocker/default";
  folders.systemTemporaryFolder = temp / "blocker/systemtmp/";
  Settings settings = LoadSettings(folders, notice);
  EXPECT_EQ(notice.texts, (std::vector<std::string>{"Can't open  output directory!", "Can't open temp directory!"}));
  EXPECT_EQ(settings.NamingRule, "<title>");
}

TEST_F(SettingsStoreTest, AFileOverOneMiBIsReadUpToTheLimitAndTheUserIsTold) {
  std::string junk;
  while (junk.size() < 3 * kLargestProfileBytes) junk += "; " + std::string(70, 'j') + "\n";
  WriteSettingsFile("[MP3]\nBitRate=11\n" + junk + "[Misc]\nNamingRule=<title>\n");
  Settings settings = Load();
  EXPECT_EQ(settings.BitRate, 11);
  EXPECT_EQ(settings.NamingRule, "<number>-<title>");  // past the limit: the default
  EXPECT_EQ(notice.texts, (std::vector<std::string>{SettingsFilePath(Folders()) +
                                                    " is too large: only its first 1 MiB was read."}));
}

TEST_F(SettingsStoreTest, SaveWritesEveryKeyAndKeepsForeignLines) {
  WriteSettingsFile(
      "; my notes\n"
      "[Plugins]\n"
      "  Visualizer  =  on  \n"
      "\n"
      "[Misc]\n"
      "NamingRule   =   <artist>\\<title>\n"
      "UnknownKey=kept\n");
  Settings settings = Load();
  settings.BitRate = 11;
  settings.ReplaceStr[9] = " ";
  settings.OutputFolder = temp / "out///";
  WindowGeometry geometry{10, 20, 640, 400, {1, 2, 3, 4}};
  ASSERT_TRUE(SaveSettings(settings, geometry, Folders()));

  std::string text = test::ReadWholeFile(SettingsFilePath(Folders()));
  EXPECT_EQ(text.rfind("; my notes\n[Plugins]\n  Visualizer  =  on  \n\n[Misc]\nNamingRule=<artist>\\<title>\n"
                       "UnknownKey=kept\n", 0), 0u) << text;
  ProfileFile saved = ProfileFile::Parse(text);
  EXPECT_EQ(saved.Find("MP3", "BitRate"), "11");
  EXPECT_EQ(saved.Find("General", "OutputFolder"), temp / "out");
  EXPECT_EQ(saved.Find("Misc", "WindowLeft"), "10");
  EXPECT_EQ(saved.Find("Misc", "WindowWidth"), "640");
  EXPECT_EQ(saved.Find("Misc", "ColumnWidth4"), "4");
  EXPECT_EQ(saved.Find("Misc", "ReplaceStr10"), " ");
  EXPECT_EQ(saved.Find("Ogg Vorbis", "Orig.Artist"), "0");
  EXPECT_EQ(saved.Find("CDDB", "Proxy000"), "3262");  // the scrambled empty password

  Settings reloaded = Load();
  EXPECT_EQ(reloaded.BitRate, 11);
  EXPECT_EQ(reloaded.NamingRule, "<artist>\\<title>");
  EXPECT_EQ(reloaded.WindowHeight, 400);
  EXPECT_EQ(reloaded.ColumnWidth, (std::array<int32_t, 4>{1, 2, 3, 4}));
}

TEST_F(SettingsStoreTest, EveryValueSurvivesASaveAndALoad) {
  Settings settings = Load();
  settings.MP3Player = "/usr/bin/mpv";
  settings.MP3PlayerParameters = "--no-video --volume=50";
  settings.ReplaceStr = {"_", "-", "", "'", "!", "+", "+", "[", "]", "_"};
  settings.Server = "cddb.example.org";
  settings.ProxyUsername = "me";
  settings.ProxyPassword = "p@ss wörd";
  settings.OggComment = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
  settings.OggQuality = 70;
  settings.TextColor = 0x123456;
  ASSERT_TRUE(SaveSettings(settings, GeometryFromSettings(settings), Folders()));
  Settings reloaded = Load();
  EXPECT_EQ(reloaded.MP3Player, settings.MP3Player);
  EXPECT_EQ(reloaded.MP3PlayerParameters, settings.MP3PlayerParameters);
  EXPECT_EQ(reloaded.ReplaceStr, settings.ReplaceStr);
  EXPECT_EQ(reloaded.Server, settings.Server);
  EXPECT_EQ(reloaded.ProxyPassword, settings.ProxyPassword);
  EXPECT_EQ(reloaded.OggComment, settings.OggComment);
  EXPECT_EQ(reloaded.OggQuality, 70);
  EXPECT_EQ(reloaded.TextColor, 0x123456);
}

TEST_F(SettingsStoreTest, CddbTextsAreReadIntoSmallerBuffers) {
  WriteSettingsFile("[CDDB]\nServer=" + std::string(2000, 's') + "\n[Misc]\nMP3Player=" + std::string(3000, 'p') +
                    "\n");
  Settings settings = Load();
  EXPECT_EQ(settings.Server.size(), 1023u);
  EXPECT_EQ(settings.MP3Player.size(), 2499u);
}

}  // namespace
}  // namespace sonvarek
