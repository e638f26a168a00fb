#include "cdrom/image_drive.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include "cdrom/scsi_driver_98.h"
#include "cdrom/scsi_driver_image.h"
#include "cdrom_test_support.h"

namespace sonvarek {
namespace {

// Files a (100 sectors), "b b" (50) and c (30): track 2 has an INDEX 00 pregap in the
// file, track 3 a 20-sector PREGAP held by no file, track 4 begins at the end of one
// file and goes on in the next, track 5 is a data track.
constexpr char kFixtureSheet[] =
    "REM a hand-written fixture\n"
    "FILE \"a.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    FLAGS PRE\n"
    "    INDEX 00 00:01:00\n"
    "    INDEX 01 00:01:10\n"
    "FILE \"b b.bin\" BINARY\n"
    "  TRACK 03 AUDIO\n"
    "    PREGAP 00:00:20\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 04 AUDIO\n"
    "    INDEX 00 00:00:40\n"
    "FILE \"c.bin\" BINARY\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 05 MODE1/2352\n"
    "    INDEX 01 00:00:10\n";

class ImageDriveTest : public ::testing::Test {
 protected:
  std::string WriteFixture() {
    test::WriteWholeFile(temp / "a.bin", test::PatternedSectors(1, 100));
    test::WriteWholeFile(temp / "b b.bin", test::PatternedSectors(2, 50));
    test::WriteWholeFile(temp / "c.bin", test::PatternedSectors(3, 30));
    test::WriteWholeFile(temp / "fixture.cue", kFixtureSheet);
    return temp / "fixture.cue";
  }
  std::string Sense(const CSCSIDriver& driver) { return SenseText(driver.LastSense()); }

  test::TempFolder temp;
  Settings settings;
};

// Opens images with a clock the test moves by hand.
class ClockOpener final : public UnitOpener {
 public:
  std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override {
    return ImageDrive::Load(unit.path, ImageDriveOptions{{}, clock}, error);
  }
  std::shared_ptr<ManualPlayClock> clock = std::make_shared<ManualPlayClock>();
};

TEST_F(ImageDriveTest, TableOfContentsMatchesTheSheetInBothForms) {
  CSCSIDriverImage driver(settings, {WriteFixture()});
  ASSERT_TRUE(driver.Init(0)) << driver.UnitErrors().front();
  DiscTOC lba;
  ASSERT_TRUE(driver.ReadTOC(lba, 0));
  EXPECT_EQ(lba.DataLength(), 2 + 6 * 8);
  EXPECT_EQ(lba.FirstTrack(), 1);
  EXPECT_EQ(lba.LastTrack(), 5);
  const uint32_t starts[] = {0, 85, 120, 170, 180, 200};
  const uint8_t controls[] = {0x10, 0x11, 0x10, 0x10, 0x14, 0x14};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(lba.Descriptor(k).address, starts[k]) << k;
    EXPECT_EQ(lba.Descriptor(k).adrControl, controls[k]) << k;
    EXPECT_EQ(lba.Descriptor(k).trackNumber, k < 5 ? k + 1 : 0xAA);
  }
  EXPECT_EQ(lba.bytes[4 + 6 * 8 + 2], 0);  // nothing after the lead-out

  DiscTOC msf;
  ASSERT_TRUE(driver.ReadTOC(msf, 1));
  const uint32_t msfAddresses[] = {0x000200, 0x00030A, 0x00032D, 0x000414, 0x00041E, 0x000432};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(msf.Descriptor(k).address, msfAddresses[k]) << k;
    EXPECT_EQ(msf.SectorOf(k, true), starts[k]) << k;
  }
}

TEST_F(ImageDriveTest, SectorsComeFromTheirFilesAndGapsAreSilent) {
  CSCSIDriverImage driver(settings, {WriteFixture()});
  ASSERT_TRUE(driver.Init(0));
  std::vector<uint8_t> disc(200 * 2352);
  ASSERT_TRUE(driver.ReadCDDA({0, 200, static_cast<uint32_t>(disc.size()), disc.data()}));
  auto at = [&](uint32_t sector) { return test::SectorIdentity(disc.data() + sector * 2352); };
  using Identity = std::pair<uint32_t, uint32_t>;
  EXPECT_EQ(at(0), Identity(1, 0));
  EXPECT_EQ(at(99), Identity(1, 99));
  EXPECT_EQ(at(100), Identity(0xFF, 0));
  EXPECT_EQ(at(119), Identity(0xFF, 0));
  EXPECT_EQ(at(120), Identity(2, 0));
  EXPECT_EQ(at(169), Identity(2, 49));
  EXPECT_EQ(at(170), Identity(3, 0));
  EXPECT_EQ(at(199), Identity(3, 29));
}

TEST_F(ImageDriveTest, ReadingTheWholeSampleDiscReturnsTheBinFileExactly) {
  CSCSIDriverImage driver(settings, {test::SampleDiscWithData()});
  ASSERT_TRUE(driver.Init(0));
  std::string bin = test::ReadWholeFile(std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc-data.bin");
  DiscTOC toc;
  ASSERT_TRUE(driver.ReadTOC(toc, 0));
  uint32_t leadOut = LeadOutSector(toc);
  ASSERT_EQ(static_cast<size_t>(leadOut) * 2352, bin.size());
  std::vector<uint8_t> buffer(26 * 2352);
  std::string read;
  for (uint32_t sector = 0; sector < leadOut; sector += 26) {
    uint32_t count = std::min(26u, leadOut - sector);
    ASSERT_TRUE(driver.ReadCDDA({sector, count, static_cast<uint32_t>(buffer.size()), buffer.data()})) << sector;
    read.append(reinterpret_cast<const char*>(buffer.data()), count * 2352);
  }
  EXPECT_TRUE(read == bin);
}

TEST_F(ImageDriveTest, EveryDriveTypesReadCommandReturnsTheSameSectors) {
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  std::vector<uint8_t> expected(26 * 2352), buffer(26 * 2352);
  ASSERT_TRUE(driver.ReadCDDA({3000, 26, static_cast<uint32_t>(expected.size()), expected.data()}));
  for (int32_t type = 1; type < kDriveTypeCount; ++type) {
    settings.DeviceType = type;
    driver.SetOptions(settings);
    std::fill(buffer.begin(), buffer.end(), 0);
    ASSERT_TRUE(driver.ReadCDDA({3000, 26, static_cast<uint32_t>(buffer.size()), buffer.data()})) << type;
    EXPECT_TRUE(buffer == expected) << type;
  }
}

TEST_F(ImageDriveTest, IdentifiesItselfAsTheImageDrive) {
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  ASSERT_EQ(driver.DeviceCount(), 1);
  const DeviceRecord& device = driver.Devices()[0];
  EXPECT_EQ(device.DisplayName(), "SONVAREKIMAGE DRIVE     ");
  EXPECT_EQ(std::string(device.revision.begin(), device.revision.end()), "1.0 ");
  EXPECT_EQ(device.devicePath, test::SampleDisc());
}

TEST_F(ImageDriveTest, RefusalsCarryTheSenseARealDriveGives) {
  CSCSIDriverImage driver(settings, {WriteFixture()});
  ASSERT_TRUE(driver.Init(0));
  std::vector<uint8_t> buffer(2 * 2352);
  EXPECT_FALSE(driver.ReadCDDA({199, 2, static_cast<uint32_t>(buffer.size()), buffer.data()}));
  EXPECT_EQ(Sense(driver), "ILLEGAL REQUEST, logical block address out of range (sense 05/21/00)");
  EXPECT_FALSE(driver.PlayAudio(150, 201));
  EXPECT_EQ(Sense(driver), "ILLEGAL REQUEST, logical block address out of range (sense 05/21/00)");

  const uint8_t unknown[6] = {0x5A, 0, 0, 0, 0, 0};
  EXPECT_EQ(driver.ExecSCSI(unknown, 6, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Sense(driver), "ILLEGAL REQUEST, invalid command operation code (sense 05/20/00)");
  const uint8_t shortRead[6] = {0x28, 0, 0, 0, 0, 0};
  EXPECT_EQ(driver.ExecSCSI(shortRead, 6, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Sense(driver), "ILLEGAL REQUEST, invalid field in CDB (sense 05/24/00)");
  EXPECT_FALSE(driver.Pause(true));  // nothing is playing
  EXPECT_EQ(Sense(driver), "ILLEGAL REQUEST, command sequence error (sense 05/2C/00)");

  // A transfer larger than the initiator's buffer fails in the transport.
  const uint8_t read2[10] = {0x28, 0, 0, 0, 0, 0, 0, 0, 2, 0};
  EXPECT_EQ(driver.ExecSCSI(read2, 10, nullptr, 0, buffer.data(), 2352), 0);
  EXPECT_EQ(driver.LastErrorText(), "Value too large for defined data type");
}

TEST_F(ImageDriveTest, AnEjectedDriveIsNotReadyUntilLoaded) {
  CSCSIDriverImage driver(settings, {WriteFixture()});
  ASSERT_TRUE(driver.Init(0));
  ASSERT_TRUE(driver.Eject());
  EXPECT_FALSE(driver.Drive()->HasMedium());
  DiscTOC toc;
  EXPECT_FALSE(driver.ReadTOC(toc, 0));
  EXPECT_EQ(Sense(driver), "NOT READY, medium not present (sense 02/3A/00)");
  std::vector<uint8_t> buffer(2352);
  EXPECT_FALSE(driver.ReadCDDA({0, 1, 2352, buffer.data()}));
  EXPECT_FALSE(driver.PlayAudio(0, 10));
  EXPECT_TRUE(driver.StopUnit());
  std::vector<uint8_t> inquiry(100);
  const uint8_t inquire[6] = {0x12, 0, 0, 0, 100, 0};
  EXPECT_EQ(driver.ExecSCSI(inquire, 6, nullptr, 0, inquiry.data(), 100), 1);

  const uint8_t load[6] = {0x1B, 0, 0, 0, 0x03, 0};
  EXPECT_EQ(driver.ExecSCSI(load, 6, nullptr, 0, nullptr, 0), 1);
  EXPECT_TRUE(driver.ReadTOC(toc, 0));
  EXPECT_EQ(LeadOutSector(toc), 200u);
}

TEST_F(ImageDriveTest, BadSectorsFailEveryTryOrRecoverOnRetry) {
  settings.RetryTimes = 3;
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  std::string error;
  driver.Drive()->SetBadSectors(*BadSectorList::Parse("1000-1010,2000*2", error));
  std::vector<uint8_t> buffer(26 * 2352);
  auto read = [&](uint32_t first) { return driver.ReadCDDA({first, 26, 26 * 2352, buffer.data()}) != 0; };

  int before = driver.Drive()->ReadCommandCount();
  EXPECT_FALSE(read(990));
  EXPECT_EQ(driver.Drive()->ReadCommandCount() - before, 3);
  EXPECT_EQ(driver.LastErrorText(), "MEDIUM ERROR, unrecovered read error (sense 03/11/00)");
  EXPECT_TRUE(read(1011));
  EXPECT_TRUE(read(964));

  before = driver.Drive()->ReadCommandCount();
  EXPECT_TRUE(read(1990));  // fails twice, then reads
  EXPECT_EQ(driver.Drive()->ReadCommandCount() - before, 3);
}

TEST_F(ImageDriveTest, BadSectorsFromTheEnvironment) {
  setenv("SONVAREK_CD_BAD_SECTORS", "5-6", 1);
  CSCSIDriverImage driver(settings, {test::SampleDisc()});
  ASSERT_TRUE(driver.Init(0));
  std::vector<uint8_t> buffer(26 * 2352);
  EXPECT_FALSE(driver.ReadCDDA({0, 26, 26 * 2352, buffer.data()}));
  EXPECT_TRUE(driver.ReadCDDA({7, 26, 26 * 2352, buffer.data()}));

  setenv("SONVAREK_CD_BAD_SECTORS", "5-x", 1);
  CSCSIDriverImage refused(settings, {test::SampleDisc()});
  EXPECT_FALSE(refused.Init(0));
  EXPECT_EQ(refused.UnitErrors(),
            std::vector<std::string>{"SONVAREK_CD_BAD_SECTORS: cannot read the bad sector range '5-x'"});
  unsetenv("SONVAREK_CD_BAD_SECTORS");
}

TEST_F(ImageDriveTest, PlayPositionFollowsTheClock) {
  ClockOpener opener;
  CSCSIDriverImage driver(settings, {test::SampleDisc()}, &opener);
  ASSERT_TRUE(driver.Init(0));
  int32_t relative = 0, absolute = 0, status = 0;
  auto position = [&] {
    EXPECT_TRUE(driver.GetPlayPosition(relative, absolute, status));
    return std::tuple(status, absolute, relative);
  };
  using Position = std::tuple<int32_t, int32_t, int32_t>;
  EXPECT_EQ(position(), Position(kAudioNoStatus, 0, 0));

  ASSERT_TRUE(driver.PlayAudio(2363, 6753));  // track 4
  opener.clock->Advance(std::chrono::milliseconds(2000));
  EXPECT_EQ(position(), Position(kAudioPlaying, 2363 + 150, 150));
  ASSERT_TRUE(driver.Pause(true));
  opener.clock->Advance(std::chrono::seconds(5));
  EXPECT_EQ(position(), Position(kAudioPaused, 2513, 150));
  ASSERT_TRUE(driver.Pause(false));
  opener.clock->Advance(std::chrono::milliseconds(1000));
  EXPECT_EQ(position(), Position(kAudioPlaying, 2588, 225));
  ASSERT_TRUE(driver.StopUnit());
  EXPECT_EQ(std::get<0>(position()), kAudioNoStatus);

  ASSERT_TRUE(driver.PlayAudio(6743, 6753));
  opener.clock->Advance(std::chrono::milliseconds(1000));
  EXPECT_EQ(position(), Position(kAudioCompleted, 6752, 6752 - 2363));
  EXPECT_EQ(std::get<0>(position()), kAudioNoStatus);  // completion is reported once

  EXPECT_TRUE(driver.PlayAudio(1000, 1000));  // an empty range plays nothing
  EXPECT_EQ(std::get<0>(position()), kAudioNoStatus);
}

TEST_F(ImageDriveTest, SubChannelInAPregapCountsTowardsTheNextTrack) {
  ClockOpener opener;
  CSCSIDriverImage driver(settings, {test::SampleDisc()}, &opener);
  ASSERT_TRUE(driver.Init(0));
  ASSERT_TRUE(driver.PlayAudio(1400, 1458));  // inside track 3's INDEX 00
  std::vector<uint8_t> data(48);
  ASSERT_TRUE(driver.ReadSubChannel(1, data.data(), 48, 0));
  EXPECT_EQ(data[1], kAudioPlaying);
  EXPECT_EQ(data[3], 12);
  EXPECT_EQ(data[4], 1);
  EXPECT_EQ(data[6], 3);  // track
  EXPECT_EQ(data[7], 0);  // index
  int32_t relative = 0, absolute = 0, status = 0;
  ASSERT_TRUE(driver.GetPlayPosition(relative, absolute, status));
  EXPECT_EQ(absolute, 1400);
  EXPECT_EQ(relative, 1400 - 1458);

  for (uint8_t format : {0, 2, 3}) {
    ASSERT_TRUE(driver.ReadSubChannel(format, data.data(), 48, 1)) << int(format);
    EXPECT_EQ(data[3], format == 2 ? 20 : 0) << int(format);  // format 3 is sent without SubQ
  }
}

TEST_F(ImageDriveTest, TheGenericKindReportsCheckConditionWithSense) {
  DriveSources sources;
  sources.roots = {temp / "sys", temp / "dev"};
  sources.imagePaths = {WriteFixture()};
  CSCSIDriver98 driver(settings, sources);
  ASSERT_TRUE(driver.Init(0));
  ASSERT_EQ(driver.DeviceCount(), 1);
  const uint8_t readPastEnd[10] = {0x28, 0, 0, 0, 0, 200, 0, 0, 1, 0};
  std::vector<uint8_t> buffer(2352);
  EXPECT_EQ(driver.ExecSCSI(readPastEnd, 10, nullptr, 0, buffer.data(), 2352), 2);
  std::optional<SenseCode> sense = ParseSense(driver.LastSense());
  ASSERT_TRUE(sense);
  EXPECT_EQ(sense->key, kSenseIllegalRequest);
  EXPECT_EQ(sense->asc, 0x21);
}

TEST_F(ImageDriveTest, BrokenImagesAreToldByFileAndLine) {
  test::WriteWholeFile(temp / "odd.bin", std::string(1000, '\0'));
  test::WriteWholeFile(temp / "ten.bin", test::PatternedSectors(1, 10));
  test::WriteWholeFile(temp / "junk.cue", std::string("\x7F" "ELF\0\0\x02", 7));
  struct Case {
    std::string sheet;
    std::string error;
  } cases[] = {
      {"FILE nothere.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       ":1: cannot open 'nothere.bin': No such file or directory"},
      {"REM\nFILE odd.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       ":2: 'odd.bin' is 1000 bytes, not a whole number of 2352-byte sectors"},
      {"FILE ten.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n",
       ":5: the index lies beyond the end of 'ten.bin'"},
      {"FILE ten.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:xx\n", ":3: '00:00:xx' is not a time mm:ss:ff"},
  };
  for (const Case& c : cases) {
    test::WriteWholeFile(temp / "broken.cue", c.sheet);
    std::string error;
    EXPECT_FALSE(DiscImage::Load(temp / "broken.cue", error)) << c.sheet;
    EXPECT_EQ(error, temp / "broken.cue" + c.error);
  }
  std::string error;
  EXPECT_FALSE(DiscImage::Load(temp / "none.cue", error));
  EXPECT_EQ(error, temp / "none.cue" + ": cannot open the CUE sheet: No such file or directory");
  EXPECT_FALSE(DiscImage::Load(temp / "junk.cue", error));
  EXPECT_EQ(error, temp / "junk.cue" + ":1: not a text file");
  EXPECT_FALSE(DiscImage::Load(temp.Path(), error));  // a folder
}

}  // namespace
}  // namespace sonvarek
