#include "session/info_dialogs.h"

#include <gtest/gtest.h>

#include "core/text_format.h"
#include "platform/user_notice.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

constexpr int kTracks = 12;

// A disc image of twelve one-second audio tracks.
std::string WriteTwelveTrackImage(const test::TempFolder& folder) {
  std::string cue = "FILE \"twelve.bin\" BINARY\n";
  for (int track = 1; track <= kTracks; ++track) {
    cue += FormatText("  TRACK %02d AUDIO\n    INDEX 01 00:%02d:00\n", track, track - 1);
  }
  test::WriteWholeFile(folder / "twelve.cue", cue);
  test::WriteWholeFile(folder / "twelve.bin", std::string(size_t{kTracks} * 75 * 2352, '\0'));
  return folder / "twelve.cue";
}

class InfoDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(session.Open(DriveChoice{std::nullopt, WriteTwelveTrackImage(images)}), DiscResult::Ready);
    ASSERT_EQ(session.tracks().Rows().size(), size_t{kTracks});
  }

  TrackInfoEditor OpenOnRow(size_t row) {
    session.tracks().Highlight(row);
    std::optional<TrackInfoEditor> editor = TrackInfoEditor::Open(session);
    EXPECT_TRUE(editor.has_value());
    return *editor;
  }

  test::TempFolder home;
  test::TempFolder images;
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice, home.Path()};
};

TEST_F(InfoDialogsTest, TrackInfoNeedsAHighlightedRowAndSteppingStopsAtTheEnds) {
  session.tracks().Highlight(std::nullopt);
  EXPECT_FALSE(TrackInfoEditor::Open(session).has_value());

  struct Case {
    size_t row;
    bool previous;
    bool next;
    const char* caption;
  } cases[] = {{0, false, true, "Track Information [#01]"},
               {5, true, true, "Track Information [#06]"},
               {11, true, false, "Track Information [#12]"}};
  for (const Case& c : cases) {
    TrackInfoEditor editor = OpenOnRow(c.row);
    EXPECT_EQ(editor.PreviousEnabled(), c.previous) << c.row;
    EXPECT_EQ(editor.NextEnabled(), c.next) << c.row;
    EXPECT_EQ(editor.Caption(), c.caption);
  }

  TrackInfoEditor last = OpenOnRow(11);
  EXPECT_FALSE(last.Next());
  EXPECT_EQ(session.tracks().Highlighted(), 11u);
  TrackInfoEditor first = OpenOnRow(0);
  EXPECT_FALSE(first.Previous());
  EXPECT_EQ(session.tracks().Highlighted(), 0u);
}

TEST_F(InfoDialogsTest, NextStoresAtOnceAndALaterCancelKeepsIt) {
  session.disc().entries[4].Artist = "Fourth";
  session.disc().entries[3].GenreId = "rock";
  session.disc().entries[3].GenreIndex = 17;
  {
    TrackInfoEditor editor = OpenOnRow(2);
    editor.fields.title = "Third Song";
    editor.fields.genre = "Kraut-ish Noise";
    editor.fields.encodedBy = "me";
    ASSERT_TRUE(editor.Next());

    const TagSet& third = session.disc().entries[3];
    EXPECT_EQ(third.Title, "Third Song");
    EXPECT_EQ(session.tracks().Rows()[2].title, "Third Song");
    EXPECT_EQ(third.GenreName, "Kraut-ish Noise");  // free text as typed
    EXPECT_EQ(third.GenreId, "rock");
    EXPECT_EQ(third.GenreIndex, 17);
    EXPECT_EQ(third.EncodedBy, "me");

    EXPECT_EQ(session.tracks().Highlighted(), 3u);
    EXPECT_EQ(editor.Caption(), "Track Information [#04]");
    EXPECT_EQ(editor.fields.artist, "Fourth");
    EXPECT_EQ(editor.fields.title, "Track 4");
    editor.fields.title = "never stored";
  }  // Cancel
  EXPECT_EQ(session.disc().entries[3].Title, "Third Song");
  EXPECT_EQ(session.disc().entries[4].Title, "Track 4");
  EXPECT_EQ(session.tracks().Rows()[3].title, "Track 4");
}

TEST_F(InfoDialogsTest, AfterRowsMovedTheDialogEditsTheTrackTheRowNames) {
  session.tracks().Highlight(0);
  ASSERT_EQ(session.tracks().MoveLast(), TrackListResult::Done);  // row 11 now names track 1
  TrackInfoEditor editor = OpenOnRow(11);
  EXPECT_EQ(editor.track(), 1);
  EXPECT_EQ(editor.Caption(), "Track Information [#01]");
  EXPECT_FALSE(editor.NextEnabled());
  editor.fields.title = "Opener";
  ASSERT_TRUE(editor.Previous());
  EXPECT_EQ(session.disc().entries[1].Title, "Opener");
  EXPECT_EQ(session.disc().entries[12].Title, "Track 12");
  EXPECT_EQ(session.tracks().Rows()[11].title, "Opener");
  EXPECT_EQ(editor.track(), 12);
}

TEST_F(InfoDialogsTest, DiscInfoStoresTheDiscEntryOnlyWithItsGenreAndDigitYear) {
  struct Case {
    std::string genre;
    int position;
    int32_t index;
  } cases[] = {{"Rock", 17, 17}, {"Rock", -1, 17}, {"Kraut-ish Noise", -1, 12}, {"Edited Rock", 17, 12}};
  for (const Case& c : cases) {
    DiscInfoEditor editor(session);
    editor.fields.artist = "Band";
    editor.fields.year = "19a9 8";
    editor.fields.genre = c.genre;
    editor.fields.genrePosition = c.position;
    editor.Store();
    const TagSet& disc = session.disc().entries[0];
    EXPECT_EQ(disc.GenreName, c.genre);
    EXPECT_EQ(disc.GenreIndex, c.index) << c.genre;
    EXPECT_EQ(disc.Year, "1998");
    EXPECT_EQ(disc.Title, "All Tracks");
    EXPECT_EQ(session.disc().entries[1].Artist, "");
  }
  DiscInfoEditor reopened(session);
  EXPECT_EQ(reopened.fields.genre, "Edited Rock");
  EXPECT_EQ(reopened.fields.genrePosition, -1);
  EXPECT_EQ(reopened.VolumeText(),
            FormatText("Disc Volume ID: %x\nTotal Tracks:  12", session.disc().discId));
}

TEST_F(InfoDialogsTest, CopyInfoToEachTrackFillsEveryTrackAndKeepsTitles) {
  session.disc().entries[5].Title = "Kept";
  session.disc().entries[5].GenreIndex = 40;
  DiscInfoEditor editor(session);
  editor.fields.artist = "Band";
  editor.fields.album = "Record";
  editor.fields.genre = "Jazz";
  editor.fields.genrePosition = 8;
  editor.fields.url = "https://band.example";
  editor.CopyInfoToEachTrack();
  for (int track = 1; track <= kTracks; ++track) {
    const TagSet& entry = session.disc().entries[static_cast<size_t>(track)];
    EXPECT_EQ(entry.Artist, "Band") << track;
    EXPECT_EQ(entry.Album, "Record") << track;
    EXPECT_EQ(entry.GenreName, "Jazz") << track;
    EXPECT_EQ(entry.URL, "https://band.example") << track;
    EXPECT_EQ(entry.Title, track == 5 ? "Kept" : FormatText("Track %d", track)) << track;
  }
  EXPECT_EQ(session.disc().entries[5].GenreIndex, 40);
  EXPECT_EQ(session.disc().entries[0].GenreIndex, 8);
  EXPECT_EQ(session.disc().entries[13].Artist, "");
}

}  // namespace
}  // namespace sonvarek
