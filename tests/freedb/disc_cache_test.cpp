#include "freedb/disc_cache.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "freedb/disc_id.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"
#include "support/toc_fixture.h"

namespace sonvarek {
namespace {

using test::FrameDisc;
using test::TocOf;

const DiscTOC kThreeTracks = TocOf(FrameDisc{{150, 23440, 40510}, 56606}, false);
const std::vector<int> kAllRows = {0, 1, 2};

// A record as a refresh leaves it, then texts in every field.
DiscRecord FilledRecord(const std::string& mark) {
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = 4;
  disc.hasRevision = true;
  disc.revision = 7;
  TagSet& d = disc.entries[0];
  d = TagSet{"All Tracks", "Ærtist " + mark, "Album ß " + mark, "1999", "cömment", "rock", "Rock", 0,
             "Composer", "Orig", "(c) 日本", "https://example.invalid/", "Encoder"};
  for (int n = 1; n <= 3; ++n) {
    TagSet& t = disc.entries[static_cast<size_t>(n)];
    std::string number = std::to_string(n);
    t = TagSet{"Títle " + number + " " + mark, "Artist " + number, "Album", "2001", "Comment " + number, "misc",
               "Pop", 13, "C" + number, "O" + number, "R" + number, "U" + number, "E" + number};
  }
  return disc;
}

DiscRecord Loaded(const std::string& programFolder, const DiscTOC& toc, const DiscPreload& preload = {}) {
  DiscRecord disc;
  ClearDiscRecord(disc);
  RecordingNotice notice;
  EXPECT_TRUE(LoadDiscCache(programFolder, toc, disc, notice, preload));
  EXPECT_TRUE(notice.texts.empty());
  return disc;
}

TEST(DiscCache, TextsComeBackWhole) {
  test::TempFolder home;
  DiscRecord saved = FilledRecord("one");
  RecordingNotice notice;
  ASSERT_TRUE(SaveDiscCache(home.Path(), kThreeTracks, saved, kAllRows, notice));
  EXPECT_TRUE(std::filesystem::exists(home / "db/1602f003.db"));  // named by the cache id

  DiscRecord loaded = Loaded(home.Path(), kThreeTracks);
  EXPECT_EQ(loaded.entryCount, 4);
  EXPECT_TRUE(loaded.hasRevision);
  EXPECT_EQ(loaded.revision, 7);
  TagSet disc = saved.entries[0];
  EXPECT_EQ(loaded.entries[0], disc);  // the disc's Title and GenreIndex are not stored: as reset
  for (size_t n = 1; n <= 3; ++n) EXPECT_EQ(loaded.entries[n], saved.entries[n]) << n;
}

TEST(DiscCache, TheFileHoldsItsSectionsAndKeysInOrderAndCase) {
  test::TempFolder home;
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = 3;
  disc.entries[0].Artist = "A";
  disc.entries[0].GenreName = "Rock";
  disc.entries[1].Title = "One";
  disc.entries[2].Title = "Two";
  disc.entries[2].GenreIndex = 17;
  RecordingNotice notice;
  ASSERT_TRUE(SaveDiscCache(home.Path(), TocOf(FrameDisc{{150, 23440}, 56606}, false), disc, std::vector<int>{1, 0},
                            notice));
  std::string text = test::ReadWholeFile(home / "db/e02f002.db");
  std::string expected =
      "[TRACKS]\n02=Two\n01=One\n\n[ARTIST]\n02=\n01=\n\n[ALBUM]\n02=\n01=\n\n[YEAR]\n02=\n01=\n\n"
      "[GENRE]\n02=17\n01=0\n\n[COMMENT]\n02=\n01=\n\n[COMPOSER]\n02=\n01=\n\n[COPYRIGHT]\n02=\n01=\n\n"
      "[ENCODEDBY]\n02=\n01=\n\n[ORIGARTIST]\n02=\n01=\n\n[URL]\n02=\n01=\n\n[GENREID]\n02=\n01=\n\n"
      "[GENRENAME]\n02=\n01=\n\n"
      "[DISC]\nRevision=0\nbRevision=0\nArtist=A\nAlbum=\nyear=\nGenreID=\nComment=\nCOMPOSER=\nCOPYRIGHT=\n"
      "ENCODEDBY=\nORIGARTIST=\nURL=\nGENRENAME=Rock\n";
  EXPECT_EQ(text, expected);
}

TEST(DiscCache, ReadingFollowsTheProfileRules) {
  test::TempFolder home;
  std::filesystem::create_directories(home / "db");
  std::string longValue(300, 'x');
  test::WriteWholeFile(home / "db/1602f003.db",
                       "[disc]\nGenreName=Jazz\nYEAR=1970\nartist=" + longValue + "\nComment=\n"
                       "[tracks]\n01=First\n03=\n[genre]\n01=abc\n02=12x\n");
  auto preload = [](DiscRecord& disc) {
    disc.entries[0].Album = "From cdplayer.ini";
    disc.entries[0].Comment = "From cdplayer.ini";
    disc.entries[2].Title = "Imported";
  };
  DiscRecord disc = Loaded(home.Path(), kThreeTracks, preload);
  EXPECT_EQ(disc.entries[0].GenreName, "Jazz");  // GENRENAME and GenreName are one key
  EXPECT_EQ(disc.entries[0].Year, "1970");
  EXPECT_EQ(disc.entries[0].Artist, std::string(253, 'x'));  // 254-byte buffer
  EXPECT_EQ(disc.entries[0].Album, "From cdplayer.ini");     // no key: the imported value stays
  EXPECT_EQ(disc.entries[0].Comment, "");                    // an empty value empties it
  EXPECT_EQ(disc.entries[0].Title, "All Tracks");
  EXPECT_EQ(disc.entries[1].Title, "First");
  EXPECT_EQ(disc.entries[2].Title, "Imported");
  EXPECT_EQ(disc.entries[3].Title, "");  // present but empty: the caller titles it
  EXPECT_EQ(disc.entries[1].GenreIndex, 0);
  EXPECT_EQ(disc.entries[2].GenreIndex, 12);
  EXPECT_FALSE(disc.hasRevision);
}

TEST(DiscCache, ADiscSeenForTheFirstTimeIsTitledByItsTrackNumbers) {
  test::TempFolder home;
  FrameDisc fromThree{{150, 23440, 40510}, 56606};
  fromThree.firstTrack = 3;
  DiscRecord disc = Loaded(home.Path() + "new/folder/", TocOf(fromThree, false));
  EXPECT_TRUE(std::filesystem::is_directory(home / "new/folder/db"));  // made with its parents
  EXPECT_EQ(disc.entryCount, 4);
  EXPECT_EQ(disc.entries[1].Title, "Track 3");
  EXPECT_EQ(disc.entries[3].Title, "Track 5");
  EXPECT_EQ(disc.revision, 0);
  EXPECT_FALSE(disc.hasRevision);
}

TEST(DiscCache, KeysOfTracksNoLongerListedStayAndLineBreaksCannotForgeKeys) {
  test::TempFolder home;
  RecordingNotice notice;
  ASSERT_TRUE(SaveDiscCache(home.Path(), kThreeTracks, FilledRecord("old"), kAllRows, notice));
  DiscRecord edited = FilledRecord("new");
  edited.entries[1].Title = "Evil\n[DISC]\nArtist=forged";
  ASSERT_TRUE(SaveDiscCache(home.Path(), kThreeTracks, edited, std::vector<int>{0}, notice));

  DiscRecord disc = Loaded(home.Path(), kThreeTracks);
  EXPECT_EQ(disc.entries[1].Title, "Evil [DISC] Artist=forged");
  EXPECT_EQ(disc.entries[0].Artist, "Ærtist new");
  EXPECT_EQ(disc.entries[2].Title, "Títle 2 old");
  EXPECT_EQ(disc.entries[3].Title, "Títle 3 old");
}

TEST(DiscCache, FailuresAreToldAndLoseNothing) {
  test::TempFolder home;
  test::WriteWholeFile(home / "file", "not a folder");
  DiscRecord disc = FilledRecord("kept");
  DiscRecord before = disc;
  RecordingNotice notice;
  EXPECT_FALSE(LoadDiscCache(home / "file/", kThreeTracks, disc, notice));
  EXPECT_FALSE(SaveDiscCache(home / "file/", kThreeTracks, disc, kAllRows, notice));
  ASSERT_EQ(notice.texts.size(), 2u);
  EXPECT_EQ(notice.texts[0], "Cannot open directory " + home / "file/" + "db.");
  EXPECT_EQ(disc.entries, before.entries);

  // A full disk: the save is told and the file saved before stays whole.
  test::SmallDisk disk(8 * 1024);
  ASSERT_TRUE(SaveDiscCache(disk.Path(), kThreeTracks, before, kAllRows, notice));
  std::string old = test::ReadWholeFile(disk / "db/1602f003.db");
  DiscRecord large = before;
  for (size_t n = 1; n <= 3; ++n) large.entries[n].Comment = std::string(4000, 'c');
  {
    test::FullDiskScope full(disk);
    EXPECT_FALSE(SaveDiscCache(disk.Path(), kThreeTracks, large, kAllRows, notice));
  }
  ASSERT_EQ(notice.texts.size(), 3u);
  EXPECT_TRUE(notice.texts[2].starts_with("The disc information could not be saved to " + disk / "db/1602f003.db"))
      << notice.texts[2];
  EXPECT_EQ(test::ReadWholeFile(disk / "db/1602f003.db"), old);
  EXPECT_EQ(test::FileNames(disk / "db"), std::vector<std::string>{"1602f003.db"});
}

// A process killed at any moment of a save leaves the previous or the new file whole.
TEST(DiscCache, KillingASaveLeavesThePreviousOrTheNewFile) {
  test::TempFolder home;
  RecordingNotice notice;
  DiscRecord first = FilledRecord(std::string(200, 'a'));
  DiscRecord second = FilledRecord(std::string(200, 'b'));
  std::string path = home / "db/1602f003.db";
  ASSERT_TRUE(SaveDiscCache(home.Path(), kThreeTracks, first, kAllRows, notice));
  std::string firstText = test::ReadWholeFile(path);
  ASSERT_TRUE(SaveDiscCache(home.Path(), kThreeTracks, second, kAllRows, notice));
  std::string secondText = test::ReadWholeFile(path);

  for (int round = 0; round < 20; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RecordingNotice quiet;
      for (;;) {
        SaveDiscCache(home.Path(), kThreeTracks, first, kAllRows, quiet);
        SaveDiscCache(home.Path(), kThreeTracks, second, kAllRows, quiet);
      }
    }
    usleep(static_cast<useconds_t>(1000 + round * 700));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::string text = test::ReadWholeFile(path);
    EXPECT_TRUE(text == firstText || text == secondText) << "round " << round << ": " << text.size() << " bytes";
  }
}

}  // namespace
}  // namespace sonvarek
