#include <gtest/gtest.h>
#include <vector>

#include "cdrom/bad_sectors.h"
#include "cdrom/sense_data.h"

namespace sonvarek {
namespace {

TEST(SenseData, ReadsFixedAndDescriptorFormatsAndRefusesShortData) {
  SenseBytes fixed = MakeSense({kSenseNotReady, 0x3A, 0x01});
  std::optional<SenseCode> code = ParseSense(fixed);
  ASSERT_TRUE(code);
  EXPECT_EQ(code->key, kSenseNotReady);
  EXPECT_EQ(code->asc, 0x3A);
  EXPECT_EQ(code->ascq, 0x01);
  EXPECT_EQ(SenseText(fixed), "NOT READY, medium not present, tray closed (sense 02/3A/01)");

  const uint8_t descriptor[] = {0x72, 0x05, 0x24, 0x00};
  EXPECT_EQ(SenseText(descriptor), "ILLEGAL REQUEST, invalid field in CDB (sense 05/24/00)");

  // ASC/ASCQ beyond what the additional length says was sent are not read.
  std::vector<uint8_t> truncated(fixed.begin(), fixed.end());
  truncated[7] = 2;
  EXPECT_EQ(ParseSense(truncated)->asc, 0);
  EXPECT_FALSE(ParseSense(std::span(fixed).first(3)));
  const uint8_t other[] = {0x00, 0x00, 0x03, 0x00};
  EXPECT_EQ(SenseText(other), "no sense data");
  EXPECT_EQ(SenseText(MakeSense({kSenseMediumError, 0x99, 0x01})), "MEDIUM ERROR (sense 03/99/01)");
}

TEST(BadSectorList, ParsesRangesAndRefusesAnythingElse) {
  std::string error;
  std::optional<BadSectorList> list = BadSectorList::Parse(" 1000-1010, 5000 ,7000*2", error);
  ASSERT_TRUE(list) << error;
  ASSERT_EQ(list->Ranges().size(), 3u);
  EXPECT_EQ(list->Ranges()[0].first, 1000u);
  EXPECT_EQ(list->Ranges()[0].last, 1010u);
  EXPECT_EQ(list->Ranges()[1].last, 5000u);
  EXPECT_EQ(list->Ranges()[2].failures, 2);
  EXPECT_TRUE(BadSectorList::Parse("", error)->Empty());

  for (const char* bad : {"1000-", "x", "10-5", "1,,2", "5*", "5*-1", "-3", "1 2"}) {
    EXPECT_FALSE(BadSectorList::Parse(bad, error)) << bad;
    EXPECT_NE(error.find("cannot read the bad sector range"), std::string::npos);
  }
}

TEST(BadSectorList, ReadsTouchingARangeFailAndLimitedRangesRecover) {
  std::string error;
  BadSectorList list = *BadSectorList::Parse("100-101,200*2", error);
  EXPECT_FALSE(list.ReadFails(74, 26));
  EXPECT_TRUE(list.ReadFails(75, 26));   // 75..100
  EXPECT_TRUE(list.ReadFails(101, 1));
  EXPECT_TRUE(list.ReadFails(101, 1));   // for ever
  EXPECT_FALSE(list.ReadFails(102, 98));
  EXPECT_FALSE(list.ReadFails(100, 0));
  EXPECT_TRUE(list.ReadFails(190, 26));
  EXPECT_TRUE(list.ReadFails(200, 1));
  EXPECT_FALSE(list.ReadFails(200, 1));  // the third read succeeds
}

}  // namespace
}  // namespace sonvarek
