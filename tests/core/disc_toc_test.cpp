#include "core/disc_toc.h"

#include <gtest/gtest.h>
#include <vector>

namespace sonvarek {
namespace {

struct Entry {
  uint8_t track;
  uint32_t address;
  uint8_t control = 0;
};

DiscTOC MakeToc(uint8_t first, uint8_t last, const std::vector<Entry>& entries) {
  DiscTOC toc;
  uint16_t length = static_cast<uint16_t>(2 + 8 * entries.size());
  toc.bytes[0] = static_cast<uint8_t>(length >> 8);
  toc.bytes[1] = static_cast<uint8_t>(length);
  toc.bytes[2] = first;
  toc.bytes[3] = last;
  for (size_t k = 0; k < entries.size(); ++k) {
    uint8_t* d = toc.bytes.data() + 4 + 8 * k;
    d[1] = static_cast<uint8_t>(0x10 | entries[k].control);
    d[2] = entries[k].track;
    for (int b = 0; b < 4; ++b) d[4 + b] = static_cast<uint8_t>(entries[k].address >> (24 - 8 * b));
  }
  return toc;
}

TEST(DiscToc, TwelveTracksEndAtTheNextStartAndTheLastAtTheLeadOut) {
  std::vector<Entry> entries;
  for (uint8_t t = 1; t <= 12; ++t) entries.push_back({t, (t - 1) * 20000u + (t > 1 ? 33u : 0u)});
  entries.push_back({0xAA, 250000});
  std::vector<TocTrack> tracks = TracksFromToc(MakeToc(1, 12, entries));
  ASSERT_EQ(tracks.size(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(tracks[i].number, static_cast<int>(i + 1));
    EXPECT_EQ(tracks[i].startSector, entries[i].address);
    EXPECT_EQ(tracks[i].endSector, entries[i + 1].address);
  }
  EXPECT_EQ(tracks[11].endSector, 250000u);
  EXPECT_EQ(LeadOutSector(MakeToc(1, 12, entries)), 250000u);
}

TEST(DiscToc, LengthAndSizeTextsAndTheDataTrack) {
  DiscTOC toc = MakeToc(1, 2, {{1, 150}, {2, 150 + 17850, 0x04}, {0xAA, 150 + 17850 + 75}});
  std::vector<TocTrack> tracks = TracksFromToc(toc);
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_EQ(tracks[0].Length(), 17850u);
  EXPECT_EQ(tracks[0].lengthText, "03:58");
  EXPECT_EQ(tracks[0].sizeText, "40.04");
  EXPECT_FALSE(tracks[0].isData);
  EXPECT_TRUE(tracks[1].isData);  // listed like any other track
  EXPECT_EQ(tracks[1].lengthText, "00:01");
}

TEST(DiscToc, AHeaderThatDescribesNoDiscListsNoTracks) {
  struct Case {
    uint8_t first, last;
  } cases[] = {{0, 0}, {0, 3}, {5, 4}, {1, 100}, {1, 255}};
  for (const Case& c : cases) {
    DiscTOC toc = MakeToc(c.first, c.last, {{1, 0}, {0xAA, 100}});
    EXPECT_TRUE(TracksFromToc(toc).empty()) << int(c.first) << "-" << int(c.last);
    EXPECT_EQ(LeadOutSector(toc), 0u);
  }
  // 99 tracks use descriptors 0..99, the most that fit in 804 bytes.
  std::vector<Entry> full;
  for (uint8_t t = 1; t <= 99; ++t) full.push_back({t, t * 100u});
  full.push_back({0xAA, 10000});
  EXPECT_EQ(TracksFromToc(MakeToc(1, 99, full)).size(), 99u);
  EXPECT_EQ(TracksFromToc(MakeToc(1, 99, full)).back().endSector, 10000u);
}

TEST(DiscToc, MinuteSecondFrameAddressesLeaveOutTheLeadIn) {
  DiscTOC toc = MakeToc(1, 1, {{1, 0x00000200}, {0xAA, 0x00031A05}});  // 00:02:00 and 03:26:05
  EXPECT_EQ(toc.SectorOf(0, true), 0u);
  EXPECT_EQ(toc.SectorOf(1, true), (3u * 60 + 26) * 75 + 5 - 150);
  EXPECT_EQ(toc.SectorOf(1, false), 0x00031A05u);
}

TEST(DiscToc, AnyDifferentByteIsAnotherDisc) {
  DiscTOC kept = MakeToc(1, 1, {{1, 0}, {0xAA, 1000}});
  DiscTOC same = kept;
  EXPECT_FALSE(TocChanged(kept, same));
  same.bytes[803] = 1;  // beyond the descriptors in use: still compared
  EXPECT_TRUE(TocChanged(kept, same));
  EXPECT_TRUE(TocChanged(kept, MakeToc(1, 1, {{1, 0}, {0xAA, 1001}})));
}

}  // namespace
}  // namespace sonvarek
