#include <filesystem>
#include <gtest/gtest.h>

#include "core/profile_file.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

class CliSettingsTest : public ::testing::Test {
 protected:
  test::ProgramResult Run(const std::string& arguments, bool withErrors = false) {
    std::string environment = "env -u SONVAREK_HOME -u XDG_CONFIG_HOME HOME=" + ShellQuoted(temp / "user") +
                              " TMPDIR=" + ShellQuoted(temp / "tmp") + " ";
    return test::RunProgram(environment + SONVAREK_CLI + std::string(" ") + arguments +
                            (withErrors ? " 2>&1" : " 2>/dev/null"));
  }
  std::string Home() const { return temp / "home"; }

  test::TempFolder temp;
};

TEST_F(CliSettingsTest, AMissingFilePrintsEveryDefaultAndMakesTheFolders) {
  fs::create_directories(temp / "tmp");
  test::ProgramResult result = Run("--home " + ShellQuoted(Home()) + " settings");
  ASSERT_EQ(result.status, 0) << result.out;
  ProfileFile printed = ProfileFile::Parse(result.out);
  EXPECT_EQ(printed.Find("MP3", "BitRate"), "8");
  EXPECT_EQ(printed.Find("Misc", "NamingRule"), "<number>-<title>");
  EXPECT_EQ(printed.Find("Misc", "ReplaceStr10"), " ");
  EXPECT_EQ(printed.Find("General", "OutputFolder"), temp / "user/Music/Sonvarek Maker");
  EXPECT_EQ(printed.Find("Misc", "TEMPDIRECTORY"), temp / "tmp/");
  EXPECT_EQ(printed.Find("CDDB", "QueryScript"), "/~cddb/cddb.cgi");
  EXPECT_EQ(printed.Find("Ogg Vorbis", "TrackNo"), "0");
  EXPECT_TRUE(fs::is_directory(temp / "user/Music/Sonvarek Maker"));
  EXPECT_FALSE(fs::exists(Home() + "/Settings.ini"));  // printing is not saving
}

TEST_F(CliSettingsTest, OutOfRangeValuesArePrintedCorrected) {
  fs::create_directories(Home());
  test::WriteWholeFile(Home() + "/Settings.ini",
                       "[MP3]\nMP3Encoder=3\nBitRate=14\nMaxBitRate=-1\nMPEGQuality=9\nVBRQuality=-2\nStereoMode=2\n"
                       "[General]\nOutputFolder=" + temp / "out" + "\\\\\nOutputFormat=7\n"
                       "[CDROM]\nCDROMDriver=-1\nRetryTimes=0\nBufferSize=-5\nDeviceType=12\n"
                       "[Misc]\nReplaceStr10=\nWindowWidth=900\nWindowHeight=700\nWindowLeft=-4\nWindowTop=-4\n"
                       "NormalizeRatio=101\nTEMPDIRECTORY=\n");
  test::ProgramResult result = Run("settings --home " + ShellQuoted(Home()));
  ASSERT_EQ(result.status, 0) << result.out;
  ProfileFile printed = ProfileFile::Parse(result.out);
  struct Expected {
    const char* section;
    const char* key;
    const char* value;
  } expected[] = {
      {"MP3", "MP3Encoder", "0"},      {"MP3", "BitRate", "8"},          {"MP3", "MaxBitRate", "13"},
      {"MP3", "MPEGQuality", "2"},     {"MP3", "VBRQuality", "4"},       {"MP3", "StereoMode", "0"},
      {"General", "OutputFormat", "0"}, {"CDROM", "CDROMDriver", "0"},   {"CDROM", "RetryTimes", "5"},
      {"CDROM", "BufferSize", "26"},   {"CDROM", "DeviceType", "0"},     {"Misc", "ReplaceStr10", " "},
      {"Misc", "WindowWidth", "600"},  {"Misc", "WindowHeight", "380"},  {"Misc", "WindowLeft", "130"},
      {"Misc", "WindowTop", "90"},     {"Misc", "NormalizeRatio", "95"},
  };
  for (const Expected& e : expected) EXPECT_EQ(printed.Find(e.section, e.key), e.value) << e.key;
  EXPECT_EQ(printed.Find("General", "OutputFolder"), temp / "out");
  EXPECT_EQ(printed.Find("Misc", "TEMPDIRECTORY"), temp / "tmp/");
}

TEST_F(CliSettingsTest, FolderFailuresAreReportedOnStandardError) {
  test::WriteWholeFile(temp / "blocker", "x");
  fs::create_directories(Home());
  fs::create_directories(temp / "sys");
  test::WriteWholeFile(Home() + "/Settings.ini", "[Misc]\nTEMPDIRECTORY=" + temp / "blocker/t" + "\n");
  struct Case {
    std::string tmpdir;  // the fallback
    std::string told;
  } cases[] = {
      {temp / "sys", "sonvarek: Can't open temp directory!\nsonvarek: The temporary folder " + temp / "sys" +
                         " is used instead.\n"},
      // Under the blocker too, so the fallback fails as well.
      {temp / "blocker/sys", "sonvarek: Can't open temp directory!\n"},
  };
  for (const Case& c : cases) {
    std::string environment =
        "env -u SONVAREK_HOME HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(c.tmpdir) + " ";
    test::ProgramResult result =
        test::RunProgram(environment + SONVAREK_CLI + " --home " + ShellQuoted(Home()) + " settings 2>&1 >/dev/null");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, c.told);
  }
}

TEST_F(CliSettingsTest, VersionHelpAndMistakes) {
  struct Case {
    const char* arguments;
    int status;
    const char* contains;
  } cases[] = {
      {"--version", 0, "Sonvarek Maker"},
      {"--help", 0, "Usage: sonvarek"},
      {"", 64, "Usage: sonvarek"},
      {"frobnicate", 64, "unknown command 'frobnicate'"},
      {"settings extra", 64, "settings takes no arguments"},
      {"settings --home", 64, "--home needs a folder"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Run(c.arguments, true);
    EXPECT_EQ(result.status, c.status) << c.arguments;
    EXPECT_NE(result.out.find(c.contains), std::string::npos) << c.arguments << ": " << result.out;
  }
}

}  // namespace
}  // namespace sonvarek
