#include "session/track_list.h"

#include <gtest/gtest.h>

#include <functional>

namespace sonvarek {
namespace {

// Four audio tracks as ReadDisc leaves them: entry n is track n, spans and titles set.
struct Disc {
  DiscRecord record;
  DiscReading reading;
};

Disc FourTrackDisc() {
  const uint32_t lengths[] = {17850, 7500, 13333, 22537};
  const char* titles[] = {"the (long) road [live]", "Second", "third", "FOURTH"};
  Disc disc;
  ClearDiscRecord(disc.record);
  disc.reading.tocRead = true;
  uint32_t start = 150;
  for (int number = 1; number <= 4; ++number) {
    TocTrack track;
    track.number = number;
    track.startSector = start;
    track.endSector = start + lengths[number - 1];
    disc.reading.tracks.push_back(track);
    disc.record.tracks[number] = {track.startSector, track.endSector};
    disc.record.entries[number].Title = titles[number - 1];
    start = track.endSector;
  }
  disc.record.entryCount = 5;
  return disc;
}

std::vector<int> ListOrder(const TrackList& list) {
  std::vector<int> order;
  for (const TrackRow& row : list.Rows()) order.push_back(row.track);
  return order;
}

TEST(TrackList, RowsNameTheirTracksWithTitleLengthAndSize) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, true);
  ASSERT_EQ(list.Rows().size(), 4u);
  EXPECT_EQ(list.Rows()[0], (TrackRow{1, "the (long) road [live]", "03:58", "40.04", true, false}));
  EXPECT_EQ(list.Rows()[3], (TrackRow{4, "FOURTH", "05:00", "50.55", true, false}));
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(list.Highlighted(), std::nullopt);

  EXPECT_TRUE(TrackList::FromDisc(disc.record, disc.reading, false).CheckedTracks().empty());
}

TEST(TrackList, SelectionCommandsSetOrFlipEveryCheckBox) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, false);
  EXPECT_TRUE(list.SetChecked(1, true));
  EXPECT_TRUE(list.SetChecked(3, true));
  EXPECT_FALSE(list.SetChecked(4, true));
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{2, 4}));
  list.InvertSelection();
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 3}));
  list.SelectAll();
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 2, 3, 4}));
  list.SelectNone();
  EXPECT_TRUE(list.CheckedTracks().empty());
  list.InvertSelection();
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 2, 3, 4}));
}

// A data track is shown (the disc has it) but no command can put it into a rip.
TEST(TrackList, DataTrackIsListedButNeverChecked) {
  Disc disc = FourTrackDisc();
  TocTrack data{5, 70000, 90000, true, "", ""};
  disc.reading.tracks.push_back(data);
  disc.record.entries[5].Title = "Track 5";
  disc.record.entryCount = 6;

  TrackList list = TrackList::FromDisc(disc.record, disc.reading, true);
  ASSERT_EQ(list.Rows().size(), 5u);
  EXPECT_TRUE(list.Rows()[4].isData);
  EXPECT_EQ(list.Rows()[4].title, "Track 5");
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_FALSE(list.SetChecked(4, true));
  list.SelectNone();
  list.InvertSelection();
  list.SelectAll();
  EXPECT_EQ(list.CheckedTracks(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_FALSE(list.Rows()[4].checked);
}

TEST(TitleCase, MapsAsciiAndLatin1LettersAndKeepsOtherCharactersWhole) {
  struct Case {
    const char* text;
    const char* upper;
    const char* lower;
    const char* capitalized;
  } cases[] = {
      {"the (long) road [live]", "THE (LONG) ROAD [LIVE]", "the (long) road [live]", "The (Long) Road [Live]"},
      {"ROCK {ME}<AMADEUS>", "ROCK {ME}<AMADEUS>", "rock {me}<amadeus>", "Rock {Me}<Amadeus>"},
      // Only a blank and the four opening brackets start a word.
      {"rock-n-roll/x.y  z\tq", "ROCK-N-ROLL/X.Y  Z\tQ", "rock-n-roll/x.y  z\tq", "Rock-n-roll/x.y  Z\tq"},
      {"", "", "", ""},
      {"été à ÉCOLE", "ÉTÉ À ÉCOLE", "été à école", "Été À École"},
      // × ÷ are no letters; ß and ÿ have no single-byte-pair partner and stay.
      {"×÷ßÿ", "×÷ßÿ", "×÷ßÿ", "×÷ßÿ"},
      // Other multi-byte characters, and a malformed byte, pass through untouched.
      {"日本 ǆ x\xC3", "日本 ǆ X\xC3", "日本 ǆ x\xC3", "日本 ǆ X\xC3"},
      {"\xC3" "a", "\xC3" "A", "\xC3" "a", "\xC3" "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpperCaseText(c.text), c.upper) << c.text;
    EXPECT_EQ(LowerCaseText(c.text), c.lower) << c.text;
    EXPECT_EQ(CapitalizedText(c.text), c.capitalized) << c.text;
  }
}

// After a move, row n names another track: the commands must write that track's entry.
TEST(TrackList, CaseCommandsRecaseRowsAndTheirTracksEntries) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, true);
  list.Highlight(3);
  list.MoveFirst();  // list order 4 1 2 3

  auto titles = [&] {
    std::vector<std::string> rows, entries;
    for (const TrackRow& row : list.Rows()) {
      rows.push_back(row.title);
      entries.push_back(disc.record.entries[row.track].Title);
    }
    EXPECT_EQ(rows, entries);
    return rows;
  };
  list.UpperCase(disc.record);
  EXPECT_EQ(titles(), (std::vector<std::string>{"FOURTH", "THE (LONG) ROAD [LIVE]", "SECOND", "THIRD"}));
  list.LowerCase(disc.record);
  EXPECT_EQ(titles(), (std::vector<std::string>{"fourth", "the (long) road [live]", "second", "third"}));
  list.Capitalize(disc.record);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Fourth", "The (Long) Road [Live]", "Second", "Third"}));
  EXPECT_EQ(disc.record.entries[0].Title, "All Tracks");
  EXPECT_EQ(disc.record.entries[5].Title, "");
}

TEST(TrackList, EditedTitleReachesTheRowsTrackEntry) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, true);
  list.Highlight(0);
  list.MoveLast();  // list order 2 3 4 1
  EXPECT_TRUE(list.SetTitle(0, "Zweiter", disc.record));
  EXPECT_EQ(list.Rows()[0].title, "Zweiter");
  EXPECT_EQ(disc.record.entries[2].Title, "Zweiter");
  EXPECT_EQ(disc.record.entries[1].Title, "the (long) road [live]");
  EXPECT_FALSE(list.SetTitle(4, "none", disc.record));
}

TEST(TrackList, MovesTakeTheHighlightedRowAlong) {
  using Move = TrackListResult (TrackList::*)();
  struct Case {
    const char* name;
    Move move;
    size_t from;
    TrackListResult result;
    std::vector<int> order;
    size_t highlighted;
  } cases[] = {
      {"first of first", &TrackList::MoveFirst, 0, TrackListResult::Unchanged, {1, 2, 3, 4}, 0},
      {"first of middle", &TrackList::MoveFirst, 2, TrackListResult::Done, {3, 1, 2, 4}, 0},
      {"first of last", &TrackList::MoveFirst, 3, TrackListResult::Done, {4, 1, 2, 3}, 0},
      {"up of first", &TrackList::MoveUp, 0, TrackListResult::Unchanged, {1, 2, 3, 4}, 0},
      {"up of middle", &TrackList::MoveUp, 2, TrackListResult::Done, {1, 3, 2, 4}, 1},
      {"up of last", &TrackList::MoveUp, 3, TrackListResult::Done, {1, 2, 4, 3}, 2},
      {"down of first", &TrackList::MoveDown, 0, TrackListResult::Done, {2, 1, 3, 4}, 1},
      {"down of middle", &TrackList::MoveDown, 1, TrackListResult::Done, {1, 3, 2, 4}, 2},
      {"down of last", &TrackList::MoveDown, 3, TrackListResult::Unchanged, {1, 2, 3, 4}, 3},
      {"last of first", &TrackList::MoveLast, 0, TrackListResult::Done, {2, 3, 4, 1}, 3},
      {"last of middle", &TrackList::MoveLast, 1, TrackListResult::Done, {1, 3, 4, 2}, 3},
      {"last of last", &TrackList::MoveLast, 3, TrackListResult::Unchanged, {1, 2, 3, 4}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Disc disc = FourTrackDisc();
    const DiscRecord before = disc.record;
    TrackList list = TrackList::FromDisc(disc.record, disc.reading, false);
    list.SetChecked(0, true);
    list.SetChecked(2, true);
    const std::vector<TrackRow> rowsBefore = list.Rows();
    list.Highlight(c.from);

    EXPECT_EQ((list.*c.move)(), c.result);
    EXPECT_EQ(ListOrder(list), c.order);
    EXPECT_EQ(list.Highlighted(), c.highlighted);
    // Each row moved whole: texts and check box stay with its track.
    for (const TrackRow& row : list.Rows()) EXPECT_EQ(row, rowsBefore[static_cast<size_t>(row.track - 1)]);
    std::vector<int> checked;
    for (int track : c.order) {
      if (track == 1 || track == 3) checked.push_back(track);
    }
    EXPECT_EQ(list.CheckedTracks(), checked);
    EXPECT_EQ(disc.record.entries, before.entries);
    EXPECT_EQ(disc.record.tracks[2].startSector, before.tracks[2].startSector);
  }
}

TEST(TrackList, MovesWithoutHighlightAskForOneAndChangeNothing) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, true);
  list.Highlight(1);
  list.Highlight(4);  // past the end: clears it
  EXPECT_EQ(list.Highlighted(), std::nullopt);
  const std::vector<TrackRow> before = list.Rows();
  for (auto move : {&TrackList::MoveFirst, &TrackList::MoveUp, &TrackList::MoveDown, &TrackList::MoveLast}) {
    EXPECT_EQ((list.*move)(), TrackListResult::NeedsHighlight);
  }
  EXPECT_EQ(list.Rows(), before);

  TrackList empty;
  empty.Highlight(0);
  EXPECT_EQ(empty.Highlighted(), std::nullopt);
  EXPECT_EQ(empty.MoveLast(), TrackListResult::NeedsHighlight);
  EXPECT_EQ(empty.ClipboardText(), "");
}

TEST(TrackList, ClipboardTextFollowsTheListOrder) {
  Disc disc = FourTrackDisc();
  TrackList list = TrackList::FromDisc(disc.record, disc.reading, false);
  list.Highlight(1);
  list.MoveDown();
  EXPECT_EQ(list.ClipboardText(),
            "the (long) road [live]\t\t03:58\r\n"
            "third\t\t02:57\r\n"
            "Second\t\t01:40\r\n"
            "FOURTH\t\t05:00\r\n");
}

}  // namespace
}  // namespace sonvarek
