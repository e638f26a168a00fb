#include "cdrom/command_sets.h"

#include <gtest/gtest.h>
#include <vector>

#include "core/string_table.h"

namespace sonvarek {
namespace {

std::vector<uint8_t> BytesOf(const CommandBlock& block) { return {block.Bytes().begin(), block.Bytes().end()}; }

// Sector 0x7F123456 checks that byte 2 stays 0 (addresses modulo 2^24); 258 sectors
// and LUN 1 fill the count and LUN bytes.
TEST(CommandSets, EachDriveTypeReadsWithItsOwnCommand) {
  const std::vector<uint8_t> readCd = {0xBE, 0x20, 0, 0x12, 0x34, 0x56, 0, 0x01, 0x02, 0x10, 0, 0};
  const std::vector<uint8_t> read10 = {0x28, 0x20, 0, 0x12, 0x34, 0x56, 0, 0x01, 0x02, 0};
  const std::vector<uint8_t> nec = {0xD4, 0x20, 0, 0x12, 0x34, 0x56, 0, 0x01, 0x02, 0};
  const std::vector<uint8_t> d8 = {0xD8, 0x20, 0, 0x12, 0x34, 0x56, 0, 0, 0x01, 0x02, 0, 0};
  const std::vector<uint8_t>* expected[kDriveTypeCount] = {&readCd, &read10, &read10, &nec,  &read10, &read10,
                                                           &read10, &read10, &read10, &d8,   &d8,     &read10};
  for (int32_t type = 0; type < kDriveTypeCount; ++type) {
    EXPECT_EQ(BytesOf(ReadCddaCommand(type, LunBits(1), 0x7F123456, 258)), *expected[type])
        << text::kDriveTypeNames[type];
  }
  EXPECT_EQ(BytesOf(ReadCddaCommand(12, LunBits(1), 0x7F123456, 258)), readCd);
  EXPECT_EQ(BytesOf(ReadCddaCommand(-1, LunBits(1), 0x7F123456, 258)), readCd);
}

TEST(CommandSets, LunGoesIntoBitsFiveToSeven) {
  for (int32_t lun = 0; lun < 8; ++lun) EXPECT_EQ(LunBits(lun), lun * 32) << lun;
  EXPECT_EQ(ReadCddaCommand(0, LunBits(7), 0, 1).bytes[1], 0xE0);
  EXPECT_EQ(PauseResumeCommand(LunBits(3), true).bytes[1], 0x60);
  EXPECT_EQ(ReadSubChannelCommand(LunBits(5), 1, 0, 48).bytes[1], 0xA0);
}

TEST(CommandSets, FixedCommandsByteForByte) {
  struct Case {
    const char* name;
    CommandBlock block;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"inquiry", InquiryCommand(), {0x12, 0, 0, 0, 0x64, 0}},
      {"toc lba", ReadTocCommand(false), {0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0}},
      {"toc msf", ReadTocCommand(true), {0x43, 0x02, 0, 0, 0, 0, 0, 0x03, 0x24, 0}},
      {"stop", StopUnitCommand(), {0x1B, 0, 0, 0, 0, 0}},
      {"eject", EjectCommand(), {0x1B, 0, 0, 0, 0x02, 0}},
      {"pause", PauseResumeCommand(0, true), {0x4B, 0, 0, 0, 0, 0, 0, 0, 0x00, 0}},
      {"resume", PauseResumeCommand(0, false), {0x4B, 0, 0, 0, 0, 0, 0, 0, 0x01, 0}},
      {"play", PlayAudioCommand(0x01020304, 0x01020304 + 0x0A0B0C0D),
       {0xA5, 0, 0x01, 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0}},
      {"play empty", PlayAudioCommand(1000, 1000), {0xA5, 0, 0, 0, 0x03, 0xE8, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(BytesOf(c.block), c.bytes) << c.name;
}

TEST(CommandSets, ReadSubChannelAsksForSubQOnlyForFormatsOneAndTwo) {
  const uint8_t subQ[] = {0x00, 0x40, 0x40, 0x00};
  for (uint8_t format = 0; format < 4; ++format) {
    std::vector<uint8_t> expected = {0x42, 0, subQ[format], format, 0, 0, 9, 0x01, 0x30, 0};
    EXPECT_EQ(BytesOf(ReadSubChannelCommand(0, format, 9, 0x130)), expected) << int(format);
  }
}

}  // namespace
}  // namespace sonvarek
