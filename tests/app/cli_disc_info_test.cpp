#include <filesystem>
#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

// The program in its own program folder, on the sample disc.
class CliDiscInfoTest : public ::testing::Test {
 protected:
  test::ProgramResult Run(const std::string& command, const std::string& arguments = "") {
    return test::RunProgram("env -u SONVAREK_CD_IMAGE HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" +
                            ShellQuoted(temp.Path()) + " " + SONVAREK_CLI + " --home " + ShellQuoted(temp / "home") +
                            " " + command + " --image " + ShellQuoted(kSampleCue) + " " + arguments + " 2>&1");
  }

  test::TempFolder temp;
};

TEST_F(CliDiscInfoTest, TocPrintsTheThreeIds) {
  test::ProgramResult result = Run("toc");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(result.out.ends_with("lead-out  8260\nfreedb disc id: 1d006e05\ncache id: 1c006e05\nvolume id: 16861\n"))
      << result.out;
}

TEST_F(CliDiscInfoTest, TitlesEnteredOnceNameEveryLaterRip) {
  test::ProgramResult info = Run("info", "--artist 'Björk' --album 'Homogenic' --year 1997 --genre Pop"
                                         " --title '2=Foo' --title 3=Straße --title '5=日本'");
  ASSERT_EQ(info.status, 0) << info.out;
  EXPECT_EQ(info.out,
            "Artist: Björk\nAlbum: Homogenic\nYear: 1997\nGenre: Pop\nComment: \n"
            "01  Track 1\n02  Foo\n03  Straße\n04  Track 4\n05  日本\n");
  EXPECT_TRUE(fs::exists(temp / "home/db/1c006e05.db"));

  // A second run finds what the first saved; its own edits add to it.
  test::ProgramResult again = Run("info", "--comment 'Second run'");
  ASSERT_EQ(again.status, 0) << again.out;
  EXPECT_NE(again.out.find("Comment: Second run\n01  Track 1\n02  Foo\n03  Straße\n"), std::string::npos) << again.out;

  test::ProgramResult rip = Run("rip", "--tracks 2,3,5 --format wav --rule '<artist> - <number> <title>' --output " +
                                           ShellQuoted(temp / "out"));
  ASSERT_EQ(rip.status, 0) << rip.out;
  EXPECT_TRUE(fs::exists(temp / "out/Björk - 02 Foo.WAV")) << rip.out;
  EXPECT_TRUE(fs::exists(temp / "out/Björk - 03 Straße.WAV"));
  EXPECT_TRUE(fs::exists(temp / "out/Björk - 05 日本.WAV"));

  // The texts given to rip name its files only.
  rip = Run("rip", "--tracks 2 --format wav --rule '<artist> <title>' --artist Other --title 2=Bar --output " +
                       ShellQuoted(temp / "out"));
  ASSERT_EQ(rip.status, 0) << rip.out;
  EXPECT_TRUE(fs::exists(temp / "out/Other Bar.WAV"));
  EXPECT_NE(Run("info").out.find("Artist: Björk\n"), std::string::npos);
  EXPECT_NE(Run("info").out.find("02  Foo\n"), std::string::npos);
}

TEST_F(CliDiscInfoTest, MistakesAreRefusedBeforeAnythingIsSaved) {
  struct Case {
    const char* command;
    const char* arguments;
    int status;
    const char* says;
  } cases[] = {
      {"info", "--year 19x7", 64, "--year takes digits only, not '19x7'"},
      {"info", "--title 9=Nine", 64, "this disc has no track 9"},
      {"info", "--title Nine", 64, "info: unexpected '--title'"},
      {"info", "--colour red", 64, "info: unexpected '--colour'"},
      {"info", "--artist", 64, "--artist needs a value"},
      {"rip", "--title 7=Seven --format wav", 64, "this disc has no track 7"},
      {"cdplayer-ini", "", 64, "usage: cdplayer-ini import|export"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Run(c.command, c.arguments);
    EXPECT_EQ(result.status, c.status) << c.command << " " << c.arguments << ": " << result.out;
    EXPECT_NE(result.out.find(c.says), std::string::npos) << result.out;
  }
  EXPECT_FALSE(fs::exists(temp / "home/db/1c006e05.db"));
}

TEST_F(CliDiscInfoTest, CdPlayerIniExportAndImportShareTheSection) {
  ASSERT_EQ(Run("info", "--artist 'Ænima' --title '1=Ünder'").status, 0);
  test::ProgramResult exported = Run("cdplayer-ini export");
  ASSERT_EQ(exported.status, 0) << exported.out;
  EXPECT_EQ(exported.out, "exported to section [16861] of " + temp / "home/cdplayer.ini" + "\n");
  std::string ini = test::ReadWholeFile(temp / "home/cdplayer.ini");
  EXPECT_NE(ini.find("[16861]\nEntryType=1\nArtist=Ænima\nTitle=\nNumTracks=5\n0=Ünder\n1=Track 2\n"), std::string::npos)
      << ini;

  // Another program folder with only that cdplayer.ini: its automatic import names
  // the disc, and the menu import keeps what it finds in the database.
  fs::create_directories(temp / "other");
  fs::copy_file(temp / "home/cdplayer.ini", temp / "other/cdplayer.ini");
  fs::rename(temp / "home", temp / "first");
  fs::rename(temp / "other", temp / "home");
  test::ProgramResult imported = Run("cdplayer-ini import");
  ASSERT_EQ(imported.status, 0) << imported.out;
  EXPECT_NE(imported.out.find("Artist: Ænima\n"), std::string::npos) << imported.out;
  EXPECT_NE(imported.out.find("01  Ünder\n"), std::string::npos) << imported.out;
  EXPECT_TRUE(fs::exists(temp / "home/db/1c006e05.db"));
}

}  // namespace
}  // namespace sonvarek
