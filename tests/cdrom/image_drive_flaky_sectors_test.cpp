#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_image.h"
#include "cdrom_test_support.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "support/image_fixture.h"
#include "support/scoped_environment.h"

namespace sonvarek {
namespace {

using Bytes = std::vector<uint8_t>;

// The sectors one read returned, each with its C2 error bits (empty without them).
struct Reading {
  std::vector<Bytes> sectors;
  std::vector<Bytes> c2;
};

class ImageDriveFlakySectorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cue = test::WriteDiscImage(temp.Path(), {100, 50});
    ASSERT_TRUE(driver.Init(0));
  }

  static BadSectorList Sectors(const char* text) {
    std::string error;
    std::optional<BadSectorList> list = BadSectorList::Parse(text, error);
    EXPECT_TRUE(list) << error;
    return list.value_or(BadSectorList{});
  }

  static Bytes Truth(uint32_t sector) {
    std::string bytes = test::AddressedSectors(sector, sector + 1);
    return Bytes(bytes.begin(), bytes.end());
  }

  // Nothing when the driver reports a failure.
  std::optional<Reading> Read(uint32_t first, uint32_t count, bool withC2) {
    uint32_t stride = withC2 ? kCdSectorWithC2Bytes : kSectorBytes;
    Bytes buffer(static_cast<size_t>(count) * stride);
    CDDAReadRequest request{first, count, static_cast<uint32_t>(buffer.size()), buffer.data()};
    if ((withC2 ? driver.ReadCDDAWithC2(request) : driver.ReadCDDA(request)) == 0) return std::nullopt;
    Reading reading;
    for (uint32_t i = 0; i < count; ++i) {
      auto sector = buffer.begin() + static_cast<std::ptrdiff_t>(i) * stride;
      reading.sectors.emplace_back(sector, sector + kSectorBytes);
      if (withC2) reading.c2.emplace_back(sector + kSectorBytes, sector + stride);
    }
    return reading;
  }

  test::TempFolder temp;
  std::string cue;
  Settings settings;
  CSCSIDriverImage driver{settings, {temp / "disc.cue"}};  // the disc SetUp writes
};

const Bytes kNoC2Bits(kC2PointerBytes, 0x00);
const Bytes kAllC2Bits(kC2PointerBytes, 0xFF);

bool DiffersInEveryByte(const Bytes& a, const Bytes& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) return false;
  }
  return a.size() == b.size();
}

TEST_F(ImageDriveFlakySectorsTest, GoodSectorsReadWithC2GiveTheirTrueBytesAndNoErrorBits) {
  struct Case {
    uint32_t first, count;
  };
  for (Case c : {Case{0, 1}, Case{10, 26}, Case{99, 2}, Case{124, 26}, Case{149, 1}}) {
    SCOPED_TRACE(c.first);
    std::optional<Reading> reading = Read(c.first, c.count, true);
    ASSERT_TRUE(reading) << driver.LastErrorText();
    for (uint32_t i = 0; i < c.count; ++i) {
      EXPECT_EQ(reading->sectors[i], Truth(c.first + i)) << "sector " << c.first + i;
      EXPECT_EQ(reading->c2[i], kNoC2Bits) << "sector " << c.first + i;
    }
  }
}

// Byte 9 of READ CD: with any audio field the sectors come, and with the C2 bits
// (bits 2-1 = 01b) 294 bytes after each; the other error fields are refused.
TEST_F(ImageDriveFlakySectorsTest, ReadCdServesTheC2BitsAndRefusesOtherErrorFields) {
  std::string error;
  std::unique_ptr<ImageDrive> drive = ImageDrive::Load(cue, {}, error);
  ASSERT_TRUE(drive) << error;
  struct Case {
    uint8_t byte9;
    size_t bytes;  // transferred; 0 with a refusal
    bool refused;
  };
  const Case cases[] = {
      {0x00, 0, false},                                                          // no field
      {0x10, 2 * kSectorBytes, false},         {0xF8, 2 * kSectorBytes, false},  // audio
      {0x12, 2 * kCdSectorWithC2Bytes, false}, {0xFA, 2 * kCdSectorWithC2Bytes, false},
      {0x02, 0, true},                                                           // C2 bits alone
      {0x14, 0, true},                         {0x16, 0, true},                  // C2 and block bits
      {0xFC, 0, true},                                                           // reserved
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.byte9));
    const uint8_t cdb[12] = {0xBE, 0, 0, 0, 0, 40, 0, 0, 2, c.byte9, 0, 0};
    Bytes buffer(2 * kCdSectorWithC2Bytes + 1, 0xAB);
    int before = drive->ReadCommandCount();
    ScsiOutcome outcome =
        drive->Execute(ScsiRequest{cdb, nullptr, 0, buffer.data(), static_cast<uint32_t>(buffer.size())});
    EXPECT_EQ(drive->ReadCommandCount() - before, 1);
    if (c.refused) {
      ASSERT_EQ(outcome.status, ScsiStatus::CheckCondition);
      EXPECT_EQ(SenseText(outcome.sense), "ILLEGAL REQUEST, invalid field in CDB (sense 05/24/00)");
    } else {
      ASSERT_EQ(outcome.status, ScsiStatus::Good);
    }
    size_t untouched = std::find_if(buffer.rbegin(), buffer.rend(), [](uint8_t b) { return b != 0xAB; }) -
                       buffer.rbegin();
    EXPECT_EQ(buffer.size() - untouched, c.bytes);
    if (c.bytes == 2 * kCdSectorWithC2Bytes) {
      EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + kSectorBytes), Truth(40));
      EXPECT_EQ(Bytes(buffer.begin() + kCdSectorWithC2Bytes, buffer.begin() + kCdSectorWithC2Bytes + kSectorBytes),
                Truth(41));
    }
  }
}

TEST_F(ImageDriveFlakySectorsTest, FlakySectorsReadAsNewNoiseEveryTimeAndTheirNeighboursExactly) {
  driver.Drive()->SetFlakySectors(Sectors("20, 40-41"));
  const std::set<uint32_t> flaky = {20, 40, 41};
  std::map<uint32_t, std::vector<Bytes>> readings;
  for (int round = 0; round < 6; ++round) {
    bool withC2 = round % 2 == 1;
    SCOPED_TRACE(round);
    std::optional<Reading> reading = Read(18, 26, withC2);
    ASSERT_TRUE(reading) << driver.LastErrorText();
    for (uint32_t i = 0; i < 26; ++i) {
      uint32_t sector = 18 + i;
      if (withC2) {
        EXPECT_EQ(reading->c2[i], flaky.count(sector) ? kAllC2Bits : kNoC2Bits) << "sector " << sector;
      }
      if (!flaky.count(sector)) {
        EXPECT_EQ(reading->sectors[i], Truth(sector)) << "sector " << sector;
        continue;
      }
      EXPECT_TRUE(DiffersInEveryByte(reading->sectors[i], Truth(sector))) << "sector " << sector;
      for (const Bytes& earlier : readings[sector]) EXPECT_NE(reading->sectors[i], earlier) << "sector " << sector;
      readings[sector].push_back(reading->sectors[i]);
    }
  }
}

// A "*2" range is noise on the first two reads that return it, then its true bytes;
// reads elsewhere and reads failed on a bad sector do not count.
TEST_F(ImageDriveFlakySectorsTest, ALimitedFlakyRangeSettlesAfterItsReads) {
  for (bool withC2 : {false, true}) {
    SCOPED_TRACE(withC2);
    driver.Drive()->SetFlakySectors(Sectors("30-31*2"));
    driver.Drive()->SetBadSectors(Sectors("36"));
    EXPECT_FALSE(Read(25, 12, withC2));
    driver.Drive()->SetBadSectors({});
    ASSERT_TRUE(Read(0, 26, withC2));
    for (int read = 1; read <= 4; ++read) {
      SCOPED_TRACE(read);
      std::optional<Reading> reading = Read(29, 4, withC2);
      ASSERT_TRUE(reading) << driver.LastErrorText();
      bool settled = read > 2;
      for (uint32_t i = 0; i < 4; ++i) {
        uint32_t sector = 29 + i;
        bool noisy = !settled && (sector == 30 || sector == 31);
        EXPECT_EQ(reading->sectors[i] == Truth(sector), !noisy) << "sector " << sector;
        if (withC2) {
          EXPECT_EQ(reading->c2[i], noisy ? kAllC2Bits : kNoC2Bits) << "sector " << sector;
        }
      }
    }
  }
}

TEST_F(ImageDriveFlakySectorsTest, AReadTouchingBadAndFlakySectorsFailsAsABadRead) {
  driver.Drive()->SetBadSectors(Sectors("50"));
  driver.Drive()->SetFlakySectors(Sectors("48-52"));
  for (bool withC2 : {false, true}) {
    EXPECT_FALSE(Read(45, 10, withC2));
    EXPECT_EQ(driver.LastErrorText(), "MEDIUM ERROR, unrecovered read error (sense 03/11/00)");
  }
  std::optional<Reading> reading = Read(40, 8, true);
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->sectors.back(), Truth(47));
}

TEST_F(ImageDriveFlakySectorsTest, FlakySectorsFromTheEnvironment) {
  test::ScopedEnvironment environment;
  environment.Set("SONVAREK_CD_FLAKY_SECTORS", "5-6");
  CSCSIDriverImage fromEnvironment(settings, {cue});
  ASSERT_TRUE(fromEnvironment.Init(0)) << ::testing::PrintToString(fromEnvironment.UnitErrors());
  Bytes buffer(10 * kSectorBytes);
  ASSERT_TRUE(fromEnvironment.ReadCDDA({0, 10, static_cast<uint32_t>(buffer.size()), buffer.data()}));
  for (uint32_t sector = 0; sector < 10; ++sector) {
    Bytes read(buffer.begin() + sector * kSectorBytes, buffer.begin() + (sector + 1) * kSectorBytes);
    EXPECT_EQ(read == Truth(sector), sector != 5 && sector != 6) << "sector " << sector;
  }

  struct Case {
    const char* value;
    const char* part;  // the one the message names
  };
  for (Case c : {Case{"5-x", "5-x"}, Case{"7*", "7*"}, Case{"1, 9-3", "9-3"}, Case{"1,,2", ""}}) {
    SCOPED_TRACE(c.value);
    environment.Set("SONVAREK_CD_FLAKY_SECTORS", c.value);
    CSCSIDriverImage refused(settings, {cue});
    EXPECT_FALSE(refused.Init(0));
    EXPECT_EQ(refused.UnitErrors(),
              std::vector<std::string>{FormatText(text::kFlakySectorsVariable,
                                                  FormatText(text::kBadSectorRangeUnreadable, std::string(c.part)))});
  }
}

}  // namespace
}  // namespace sonvarek
