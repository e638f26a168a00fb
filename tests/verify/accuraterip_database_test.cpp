#include "verify/accuraterip_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sonvarek {
namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One submitter block as the database writes it; each entry is {confidence, checksum}.
std::vector<uint8_t> Block(const AccurateRipDiscIds& ids, const std::vector<std::pair<int, uint32_t>>& tracks) {
  std::vector<uint8_t> bytes{static_cast<uint8_t>(tracks.size())};
  PutLittleEndian(bytes, ids.id1);
  PutLittleEndian(bytes, ids.id2);
  PutLittleEndian(bytes, ids.freedbId);
  for (const auto& [confidence, checksum] : tracks) {
    bytes.push_back(static_cast<uint8_t>(confidence));
    PutLittleEndian(bytes, checksum);
    PutLittleEndian(bytes, 0x450450u);
  }
  return bytes;
}

std::vector<uint8_t> Joined(const std::vector<std::vector<uint8_t>>& blocks) {
  std::vector<uint8_t> bytes;
  for (const auto& block : blocks) bytes.insert(bytes.end(), block.begin(), block.end());
  return bytes;
}

const AccurateRipDiscIds kDisc{3, 0x0002189a, 0x00087f33, 0x1f02e004};
const AccurateRipDiscIds kOtherPressing{3, 0x0002189b, 0x00087f33, 0x1f02e004};

TEST(AccurateRipDatabase, ParsesEveryBlockLittleEndian) {
  const auto blocks = ParseAccurateRipDatabase(
      Joined({Block(kDisc, {{12, 0xA1B2C3D4}, {0, 0}, {200, 0x00000001}}), Block(kOtherPressing, {{1, 2}, {3, 4}, {5, 6}})}));
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 2u);
  const AccurateRipBlock& first = (*blocks)[0];
  EXPECT_EQ(first.ids.trackCount, 3);
  EXPECT_EQ(first.ids.id1, 0x0002189au);
  EXPECT_EQ(first.ids.id2, 0x00087f33u);
  EXPECT_EQ(first.ids.freedbId, 0x1f02e004u);
  ASSERT_EQ(first.tracks.size(), 3u);
  EXPECT_EQ(first.tracks[0].confidence, 12);
  EXPECT_EQ(first.tracks[0].checksum, 0xA1B2C3D4u);
  EXPECT_EQ(first.tracks[0].frame450Checksum, 0x450450u);
  EXPECT_EQ(first.tracks[2].confidence, 200);
  EXPECT_EQ((*blocks)[1].ids.id1, 0x0002189bu);
  EXPECT_EQ((*blocks)[1].tracks[2].checksum, 6u);
}

TEST(AccurateRipDatabase, RefusesEmptyCutAndZeroTrackFiles) {
  std::vector<uint8_t> whole = Joined({Block(kDisc, {{1, 2}, {3, 4}, {5, 6}}), Block(kDisc, {{1, 2}, {3, 4}, {5, 6}})});
  const std::vector<std::vector<uint8_t>> refused = {
      {},
      std::vector<uint8_t>(whole.begin(), whole.end() - 1),           // last entry cut
      std::vector<uint8_t>(whole.begin(), whole.begin() + 13 + 27 + 5),  // second header cut
      Block(kDisc, {}),                                              // no tracks
      Joined({Block(kDisc, {{1, 2}}), {0}}),                          // a stray byte after a block
  };
  for (size_t i = 0; i < refused.size(); ++i) {
    EXPECT_FALSE(ParseAccurateRipDatabase(refused[i]).has_value()) << "case " << i;
  }
}

TEST(AccurateRipDatabase, JudgesTracksAgainstTheDiscsBlocksOnly) {
  const auto blocks = *ParseAccurateRipDatabase(Joined({
      Block(kDisc, {{5, 0x11111111}, {0, 0}, {2, 0x0ABCDEF1}}),
      Block(kDisc, {{9, 0x11111111}, {4, 0x22222222}, {7, 0x33333333}}),
      Block(kOtherPressing, {{50, 0x44444444}, {50, 0x55555555}, {50, 0x66666666}}),
  }));
  struct Case {
    int track;
    uint32_t v1;
    uint32_t v2;
    const char* verdict;
  };
  const Case cases[] = {
      {1, 0x11111111, 0x99999999, "Accurately ripped (confidence 9) [11111111] (AR v1)"},  // largest of two blocks
      {3, 0x0ABCDEF1, 0x33333333, "Accurately ripped (confidence 2) [0ABCDEF1] (AR v1)"},  // v1 before v2
      {3, 0x98765432, 0x33333333, "Accurately ripped (confidence 7) [33333333] (AR v2)"},
      {2, 0x12345678, 0x22222222, "Accurately ripped (confidence 4) [22222222] (AR v2)"},
      {2, 0x12345678, 0x87654321, "Not accurately ripped"},
      {1, 0x44444444, 0x44444444, "Not accurately ripped"},  // another disc's block
      {2, 0, 0, "Not accurately ripped"},                    // a silent track against an empty slot
      {4, 0x11111111, 0x11111111, "Not accurately ripped"},  // beyond the blocks' tracks
      {0, 0x11111111, 0x11111111, "Not accurately ripped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("track " + std::to_string(c.track));
    const AccurateRipVerdict verdict = JudgeTrack(blocks, kDisc, c.track, c.v1, c.v2);
    EXPECT_EQ(VerdictText(verdict), c.verdict);
    EXPECT_EQ(verdict.accurate, std::string(c.verdict) != "Not accurately ripped");
  }
}

}  // namespace
}  // namespace sonvarek
