#include "session/disc_session.h"

#include <gtest/gtest.h>

#include "platform/user_notice.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

class DiscSessionTest : public ::testing::Test {
 protected:
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice};
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

}  // namespace
}  // namespace sonvarek
