#include "core/records.h"

#include <gtest/gtest.h>

namespace sonvarek {
namespace {

TEST(Genres, TheTableIsTheId3v1ListWithItsOwnSpellings) {
  auto genres = GenreTable();
  ASSERT_EQ(genres.size(), 127u);
  EXPECT_EQ(genres[0], "Blues");
  EXPECT_EQ(genres[17], "Rock");
  EXPECT_EQ(genres[67], "Psychadelic");
  EXPECT_EQ(genres[85], "Bebob");
  EXPECT_EQ(genres[123], "Acapella");
  EXPECT_EQ(genres[125], "Dance Hall");
  EXPECT_EQ(genres[126], "");
}

TEST(Genres, NamesAreFoundExactlyOrBecomeOther) {
  struct Case {
    const char* name;
    int32_t index;
  } cases[] = {{"Rock", 17}, {"rock", 12}, {"", 12}, {"Blues", 0}, {"Dance Hall", 125}, {"Rock ", 12}, {"Other", 12}};
  for (const Case& c : cases) EXPECT_EQ(GenreIndexFromName(c.name), c.index) << '"' << c.name << '"';
}

DiscRecord DiscWithTracks(int count) {
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = count + 1;
  for (int track = 1; track <= count; ++track) disc.tracks[track] = {track * 1000u, track * 1000u + 900u};
  return disc;
}

TEST(DiscRecord, ClearingLeavesOnlyAllTracks) {
  DiscRecord disc = DiscWithTracks(3);
  disc.entries[2].Comment = "old";
  disc.entries[2].GenreIndex = 5;
  ClearDiscRecord(disc);
  EXPECT_EQ(disc.entryCount, 1);
  EXPECT_EQ(disc.entries[0].Title, "All Tracks");
  EXPECT_EQ(disc.entries[2], TagSet());
  EXPECT_EQ(disc.tracks[2].endSector, 0u);
}

TEST(DiscRecord, NinetyNineTracksUseEveryEntryAndGetDefaultTitles) {
  DiscRecord disc = DiscWithTracks(99);
  disc.entries[5].Title = "Known";
  TitleUntitledTracks(disc);
  EXPECT_EQ(disc.entries[0].Title, "All Tracks");
  EXPECT_EQ(disc.entries[1].Title, "Track 1");
  EXPECT_EQ(disc.entries[5].Title, "Known");
  EXPECT_EQ(disc.entries[99].Title, "Track 99");
}

TEST(DiscRecord, DiscInfoReachesEveryTrackButNotTheirTitles) {
  DiscRecord disc = DiscWithTracks(2);
  disc.entries[1].Title = "One";
  SetDiscInfo(disc, "Artist", "Album", "Rock");
  EXPECT_EQ(disc.entries[0].Title, "Album");
  EXPECT_EQ(disc.entries[0].Album, "Album");
  EXPECT_EQ(disc.entries[0].Artist, "Artist");
  EXPECT_EQ(disc.entries[2].Artist, "Artist");
  EXPECT_EQ(disc.entries[2].GenreName, "Rock");
  EXPECT_EQ(disc.entries[1].Title, "One");
  EXPECT_EQ(disc.entries[3].Artist, "");  // beyond the disc
  SetRevision(disc, true, 7);
  EXPECT_TRUE(disc.hasRevision);
  EXPECT_EQ(disc.revision, 7);
}

TEST(ConversionJob, ATrackJobIsACopyOfTheTrack) {
  DiscRecord disc = DiscWithTracks(3);
  disc.entries[1].Artist = "Band";
  disc.entries[1].GenreIndex = 17;
  ConversionJob job = MakeTrackJob(disc, 1, "Shown Title");
  EXPECT_EQ(job.trackIndex, 0);
  EXPECT_EQ(job.startSector, 1000u);
  EXPECT_EQ(job.endSector, 1900u);
  EXPECT_EQ(job.sourceName, "Shown Title");
  EXPECT_EQ(job.tags, disc.entries[1]);
  disc.entries[1].Artist = "Edited later";
  EXPECT_EQ(job.tags.Artist, "Band");

  ConversionJob file = MakeFileJob("/music/a.wav");
  EXPECT_EQ(file.trackIndex, -1);
  EXPECT_EQ(file.sourceName, "/music/a.wav");
  EXPECT_EQ(file.tags, TagSet());
}

TEST(TrackTexts, LengthAndSizeAreShownAsTheTrackListDoes) {
  struct Case {
    uint32_t start, end;
    const char* length;
    const char* size;
  } cases[] = {
      {0, 17850, "03:58", "40.04"},
      {150, 150, "00:00", "0.00"},
      {0, 74, "00:00", "0.17"},
      {0, 75 * 3600, "60:00", "605.62"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrackLengthText(c.start, c.end), c.length);
    EXPECT_EQ(TrackSizeText(c.start, c.end), c.size);
  }
}

}  // namespace
}  // namespace sonvarek
