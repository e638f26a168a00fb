#include "session/program_session.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/profile_file.h"
#include "core/string_table.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

class MemoryAutoRun final : public AutoRunSetting {
 public:
  std::optional<bool> ReadNever() override { return never; }
  bool WriteNever(bool value) override {
    never = value;
    return true;
  }
  bool never = false;
};

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

}  // namespace
}  // namespace sonvarek
