#include "session/program_session.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/profile_file.h"
#include "core/string_table.h"
#include "support/memory_auto_run.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

using test::MemoryAutoRun;

class ProgramSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    environment.Set("SONVAREK_CD_IMAGE", kSampleCue);
    std::filesystem::create_directories(home.Path() + "home");
    test::WriteWholeFile(home.Path() + "home/Settings.ini", "[General]\nOutputFolder=" + home.Path() + "out\n");
  }
  std::string Home() const { return home.Path() + "home"; }

  test::TempFolder home;
  test::ScopedEnvironment environment;
  RecordingNotice notice;
  MemoryAutoRun autoRun;
};

// Start-up: encoder library, drive with its status line, auto-play off, the disc read.
TEST_F(ProgramSessionTest, StartUpOpensEverythingTheWindowShows) {
  ProgramSession session(Home(), notice, autoRun);
  EXPECT_FALSE(session.started());
  session.Start();
  EXPECT_TRUE(session.started());
  EXPECT_NE(session.encoder().EntryPoints(), nullptr);
  EXPECT_TRUE(session.deviceText().starts_with("Device: ")) << session.deviceText();
  EXPECT_EQ(session.discText(), "");
  ASSERT_NE(session.player(), nullptr);
  EXPECT_TRUE(autoRun.never);
  EXPECT_EQ(session.disc().tracks().Rows().size(), 5u);
  EXPECT_TRUE(notice.texts.empty());
}

// Shut-down: the disc's texts kept, auto-play given back, the settings with the window's
// geometry saved, the log emptied; the next start finds the titles again.
TEST_F(ProgramSessionTest, ShutDownKeepsTextsAndSettingsAndRestoresAutoPlay) {
  {
    ProgramSession session(Home(), notice, autoRun);
    session.Start();
    ASSERT_TRUE(session.disc().SetTrackTitle(3, "Framed By Silence"));
    session.log().Append("a line");
    WindowGeometry geometry;
    geometry.width = 700;
    geometry.columnWidths = {40, 300, 70, 70};
    session.Shutdown(geometry);
    EXPECT_FALSE(autoRun.never);
    EXPECT_EQ(session.log().Size(), 0u);
    EXPECT_EQ(session.player(), nullptr);
  }
  ProfileFile settings = ProfileFile::Load(Home() + "/Settings.ini");
  EXPECT_EQ(settings.GetInt("Misc", "WindowWidth", 0), 700);
  EXPECT_EQ(settings.GetInt("Misc", "ColumnWidth2", 0), 300);
  ProgramSession again(Home(), notice, autoRun);
  again.Start();
  EXPECT_EQ(again.disc().tracks().Rows()[2].title, "Framed By Silence");
  EXPECT_TRUE(notice.texts.empty());
}

// Eject: the list empties and the status line asks for a disc; Extract has nothing to rip.
TEST_F(ProgramSessionTest, EjectEmptiesTheListAndAsksForADisc) {
  ProgramSession session(Home(), notice, autoRun);
  session.Start();
  session.Eject();
  EXPECT_TRUE(session.disc().tracks().Rows().empty());
  EXPECT_EQ(session.discText(), text::kPleaseInsertAnAudioCd);
  EXPECT_EQ(session.MakeRip(), nullptr);
}

// An accepted sheet is put to work: auto-play switched, the driver's retry count
// renewed, a player over the drive's own output, the drive made anew (its
// edited texts saved first) and its disc read again.
TEST_F(ProgramSessionTest, AcceptedOptionsArePutToWork) {
  ProgramSession session(Home(), notice, autoRun);
  session.Start();
  ASSERT_TRUE(autoRun.never);
  session.disc().SetTrackTitle(2, "Two Tones");
  const CSCSIDriver* firstDriver = session.disc().driver();

  Settings accepted = session.settings();
  accepted.DisableAutoPlay = 0;
  accepted.RetryTimes = 9;
  accepted.PlaybackOutput = 1;
  OptionsChanges changes = session.ApplyOptions(accepted);
  EXPECT_TRUE(changes.autoPlay && changes.driveOptions && changes.playbackOutput);
  EXPECT_FALSE(changes.reopenDrive || changes.encoderEngine);
  EXPECT_FALSE(autoRun.never);
  EXPECT_EQ(session.disc().driver()->Options().retryTimes, 9);
  EXPECT_NE(session.player(), nullptr);
  EXPECT_EQ(session.disc().driver(), firstDriver);
  EXPECT_TRUE(session.settings() == accepted);

  accepted.bUseASPI = 1 - accepted.bUseASPI;
  changes = session.ApplyOptions(accepted);
  EXPECT_TRUE(changes.reopenDrive);
  ASSERT_NE(session.disc().driver(), nullptr);
  EXPECT_EQ(session.disc().driver()->Options().retryTimes, 9);
  ASSERT_EQ(session.disc().tracks().Rows().size(), 5u);
  EXPECT_EQ(session.disc().tracks().Rows()[1].title, "Two Tones");
  ASSERT_NE(session.player(), nullptr);
  EXPECT_TRUE(notice.texts.empty());
}

}  // namespace
}  // namespace sonvarek
