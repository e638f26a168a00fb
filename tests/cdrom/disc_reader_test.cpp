#include "cdrom/disc_reader.h"

#include <gtest/gtest.h>

#include "cdrom/scsi_driver_image.h"
#include "cdrom/scsi_driver_native.h"
#include "cdrom_test_support.h"

namespace sonvarek {
namespace {

TEST(DiscReader, ReadsTheTracksIntoTheDiscRecord) {
  Settings settings;
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  DiscTOC toc;
  DiscRecord disc;
  disc.entries[3].Title = "left over from the previous disc";
  auto lookUp = [](const DiscTOC& read, DiscRecord& record) {
    EXPECT_EQ(read.LastTrack(), 5);
    record.entries[2].Title = "Named";
  };
  DiscReading reading = ReadDisc(driver, toc, disc, lookUp);
  ASSERT_TRUE(reading.tocRead);
  ASSERT_EQ(reading.tracks.size(), 5u);
  EXPECT_EQ(disc.entryCount, 6);
  EXPECT_EQ(disc.entries[0].Title, "All Tracks");
  EXPECT_EQ(disc.entries[1].Title, "Track 1");
  EXPECT_EQ(disc.entries[2].Title, "Named");
  EXPECT_EQ(disc.entries[3].Title, "Track 3");
  EXPECT_EQ(disc.tracks[1].startSector, 0u);
  EXPECT_EQ(disc.tracks[1].endSector, 1073u);
  EXPECT_EQ(disc.tracks[5].endSector, 8260u);
  EXPECT_EQ(reading.tracks[0].lengthText, "00:14");
  EXPECT_EQ(reading.firstTrackSeconds, 14u);
}

TEST(DiscReader, StopsTheUnitBeforeReadingTheTocWithBlockAddresses) {
  test::TempFolder temp;
  test::AddBlockDevice(temp / "sys", 0, "0:0:0:0");
  test::FakeOpener opener;
  Settings settings;
  CSCSIDriverNative driver(settings, DriveSources{{temp / "sys", temp / "dev"}, {}, &opener});
  ASSERT_TRUE(driver.Init(0));
  opener.log->commands.clear();
  DiscTOC toc;
  DiscRecord disc;
  ReadDisc(driver, toc, disc);
  ASSERT_EQ(opener.log->commands.size(), 2u);
  EXPECT_EQ(opener.log->commands[0][0], 0x1B);
  EXPECT_EQ(opener.log->commands[1][0], 0x43);
  EXPECT_EQ(opener.log->commands[1][1], 0x00);
}

TEST(DiscReader, WithoutADiscTheRecordStaysEmpty) {
  Settings settings;
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  ASSERT_TRUE(driver.Eject());
  DiscTOC toc;
  toc.bytes.fill(1);
  DiscRecord disc;
  disc.entryCount = 4;
  DiscReading reading = ReadDisc(driver, toc, disc);
  EXPECT_FALSE(reading.tocRead);
  EXPECT_TRUE(reading.tracks.empty());
  EXPECT_EQ(disc.entryCount, 1);
  EXPECT_EQ(disc.entries[0].Title, "All Tracks");
  EXPECT_EQ(toc, DiscTOC());
}

TEST(DiscReader, OnlyAnotherTableOfContentsIsAMediaChange) {
  Settings settings;
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  DiscTOC kept;
  DiscRecord disc;
  ASSERT_TRUE(ReadDisc(driver, kept, disc).tocRead);
  EXPECT_FALSE(MediaChanged(driver, kept));  // the same disc again
  ASSERT_TRUE(driver.Eject());
  EXPECT_TRUE(MediaChanged(driver, kept));
  driver.Drive()->LoadMedium();
  EXPECT_FALSE(MediaChanged(driver, kept));

  CSCSIDriverImage other(settings, {test::SampleDiscWithData()});
  ASSERT_TRUE(other.Init(0));
  EXPECT_TRUE(MediaChanged(other, kept));
}

}  // namespace
}  // namespace sonvarek
