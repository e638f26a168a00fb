#include "session/disc_session.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/profile_file.h"
#include "freedb/cdplayer_ini.h"
#include "freedb/disc_cache.h"

#include "platform/user_notice.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

class DiscSessionTest : public ::testing::Test {
 protected:
  test::TempFolder home;
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice, home.Path()};
};

TEST_F(DiscSessionTest, ReadsTheDiscOfAnImageIntoTheRecordAndTheTrackList) {
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  EXPECT_EQ(session.Units().size(), 1u);
  const std::vector<TrackRow>& rows = session.tracks().Rows();
  ASSERT_EQ(rows.size(), session.reading().tracks.size());
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].title, "Track 1");
  EXPECT_EQ(session.disc().entries[0].Title, "All Tracks");
  EXPECT_EQ(session.tracks().CheckedTracks(), (std::vector<int>{1, 2, 3, 4, 5}));  // AutoSelectAll
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(DiscSessionTest, TextsAndSelectionReachTheRecordAndTheRows) {
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  session.SetDiscTexts(std::string("Band"), std::nullopt);
  EXPECT_TRUE(session.SetTrackTitle(2, "the (long) road"));
  EXPECT_FALSE(session.SetTrackTitle(42, "nowhere"));
  session.tracks().Capitalize(session.disc());
  EXPECT_EQ(session.disc().entries[2].Title, "The (Long) Road");
  EXPECT_EQ(session.tracks().Rows()[1].title, "The (Long) Road");
  EXPECT_EQ(session.disc().entries[3].Artist, "Band");

  struct Case {
    const char* list;
    bool accepted;
    std::vector<int> checked;
  } cases[] = {
      {"2,4-5", true, {2, 4, 5}}, {"", true, {1, 2, 3, 4, 5}}, {"3-1", false, {1, 2, 3, 4, 5}},
      {"9", false, {1, 2, 3, 4, 5}}, {"1,x", false, {1, 2, 3, 4, 5}}, {"5", true, {5}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(session.SelectTracks(c.list), c.accepted) << c.list;
    EXPECT_EQ(session.tracks().CheckedTracks(), c.checked) << c.list;
  }
}

TEST_F(DiscSessionTest, FailuresAreNamedAndTold) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "bad.cue", "FILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 100:00:00\n");
  test::WriteWholeFile(temp / "x.bin", std::string(2352, '\0'));
  EXPECT_EQ(session.Open(DriveChoice{std::nullopt, temp / "bad.cue"}), DiscResult::MalformedInput);
  notice.texts.clear();
  EXPECT_EQ(session.Open(DriveChoice{std::nullopt, temp / "missing.cue"}), DiscResult::NoDrive);
  EXPECT_EQ(notice.texts.back(), "No CDROM found!");
  EXPECT_EQ(session.ReadDisc(), DiscResult::NoDrive);  // nothing open
}

// The sample disc: tracks at LBA 0, 1073, 1458, 2363 and 6753, lead-out at 8260.
constexpr uint32_t kSampleFreedbId = 0x1D006E05;
constexpr uint32_t kSampleCacheId = 0x1C006E05;
constexpr uint32_t kSampleVolumeId = 0x16861;

TEST_F(DiscSessionTest, TheIdsOfTheDiscInTheDrive) {
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  DiscIds ids = session.ComputeIds();
  ASSERT_TRUE(ids.freedb && ids.volumeId);
  EXPECT_EQ(ids.freedb->discId, kSampleFreedbId);
  EXPECT_EQ(ids.freedb->DiscLengthSeconds(), 112);
  EXPECT_EQ(ids.cacheId, kSampleCacheId);
  EXPECT_EQ(*ids.volumeId, kSampleVolumeId);
  EXPECT_EQ(session.disc().discId, kSampleCacheId);
}

TEST_F(DiscSessionTest, TextsSavedAtExitComeBackAndARefreshDropsUnsavedEdits) {
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  session.SetDiscField(&TagSet::Artist, "Sigur Rós");
  session.SetDiscGenre("Rock");
  ASSERT_TRUE(session.SetTrackTitle(2, "Ágætis byrjun"));
  ASSERT_TRUE(session.SaveDisc());
  EXPECT_TRUE(std::filesystem::exists(home / "db/1c006e05.db"));

  ASSERT_TRUE(session.SetTrackTitle(3, "not saved"));
  ASSERT_EQ(session.ReadDisc(), DiscResult::Ready);  // Refresh TOC
  EXPECT_EQ(session.tracks().Rows()[2].title, "Track 3");
  EXPECT_EQ(session.tracks().Rows()[1].title, "Ágætis byrjun");
  EXPECT_EQ(session.disc().entries[0].Artist, "Sigur Rós");
  EXPECT_EQ(session.disc().entries[4].Artist, "Sigur Rós");
  EXPECT_EQ(session.disc().entries[0].GenreName, "Rock");
  EXPECT_EQ(session.disc().entries[5].GenreName, "Rock");

  // Rows moved before the save keep their tracks' keys.
  session.tracks().Highlight(4);
  session.tracks().MoveFirst();
  ASSERT_TRUE(session.SetTrackTitle(5, "Fifth"));
  ASSERT_TRUE(session.SaveDisc());
  DiscSession again{settings, notice, home.Path()};
  ASSERT_EQ(again.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  EXPECT_EQ(again.tracks().Rows()[4].title, "Fifth");
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(DiscSessionTest, CdPlayerIniIsReadFirstAndExchangedOnCommand) {
  test::WriteWholeFile(home / "cdplayer.ini", "[16861]\nArtist=Old Artist\nTitle=Old Album\n0=From the CD player\n1=Second\n");
  std::filesystem::create_directories(home / "db");
  test::WriteWholeFile(home / "db/1c006e05.db", "[TRACKS]\n02=From the database\n");
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  EXPECT_EQ(session.tracks().Rows()[0].title, "From the CD player");
  EXPECT_EQ(session.tracks().Rows()[1].title, "From the database");  // the database has the last word
  EXPECT_EQ(session.disc().entries[0].Album, "Old Album");

  settings.AutoLoadCDPlayerINI = 0;
  ASSERT_EQ(session.ReadDisc(), DiscResult::Ready);
  EXPECT_EQ(session.tracks().Rows()[0].title, "Track 1");
  ASSERT_TRUE(session.ImportCdPlayerIni());  // the menu command touches the rows too
  EXPECT_EQ(session.tracks().Rows()[0].title, "From the CD player");
  EXPECT_EQ(session.tracks().Rows()[1].title, "Second");

  ASSERT_TRUE(session.SetTrackTitle(3, "Third 日本"));
  ASSERT_TRUE(session.ExportCdPlayerIni());
  ProfileFile file = ProfileFile::Load(home / "cdplayer.ini");
  EXPECT_EQ(file.GetString("16861", "2", "", 255), "Third 日本");
  EXPECT_EQ(file.GetString("16861", "NumTracks", "", 255), "5");

  ASSERT_TRUE(session.Eject());  // saves, then the drive has no disc
  EXPECT_TRUE(session.tracks().Rows().empty());
  EXPECT_FALSE(session.ImportCdPlayerIni());
  EXPECT_FALSE(session.ExportCdPlayerIni());
  EXPECT_EQ(notice.texts, (std::vector<std::string>{"Error while reading CD volume ID", "Error while reading CD volume ID"}));
  EXPECT_EQ(ProfileFile::Load(home / "db/1c006e05.db").GetString("TRACKS", "03", "", 254), "Third 日本");
}

TEST_F(DiscSessionTest, AMediaChangeSavesTheShownDiscAndReadsTheNewOne) {
  ASSERT_EQ(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
  EXPECT_FALSE(session.MediaChanged());  // the same disc
  ASSERT_TRUE(session.SetTrackTitle(1, "Saved on removal"));
  session.driver()->Eject();
  EXPECT_TRUE(session.MediaChanged());
  EXPECT_TRUE(session.tracks().Rows().empty());
  EXPECT_TRUE(session.SaveDisc());  // no disc: nothing to write
  const uint8_t load[6] = {0x1B, 0, 0, 0, 0x03, 0};  // START STOP UNIT: load the tray
  session.driver()->ExecSCSI(load, 6, nullptr, 0, nullptr, 0);
  EXPECT_TRUE(session.MediaChanged());
  ASSERT_FALSE(session.tracks().Rows().empty());
  EXPECT_EQ(session.tracks().Rows()[0].title, "Saved on removal");
}

}  // namespace
}  // namespace sonvarek
