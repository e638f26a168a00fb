#include "cdrom/scsi_driver.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "cdrom/scsi_driver_98.h"
#include "cdrom/scsi_driver_native.h"
#include "cdrom/sg_device.h"
#include "cdrom_test_support.h"

namespace sonvarek {
namespace {

std::vector<uint8_t> BytesOf(const CommandBlock& block) { return {block.Bytes().begin(), block.Bytes().end()}; }

class ScsiDriverTest : public ::testing::Test {
 protected:
  DriveSources Sources() { return DriveSources{{temp / "sys", temp / "dev"}, {}, &opener}; }
  void AddDrives(int count) {
    for (int i = 0; i < count; ++i) test::AddBlockDevice(temp / "sys", i, "0:0:" + std::to_string(i) + ":0");
  }
  void AddGenericDrives(int count) {
    for (int i = 0; i < count; ++i) test::AddGenericDevice(temp / "sys", i, "0:0:" + std::to_string(i) + ":0", 5);
  }
  std::vector<std::vector<uint8_t>>& Sent() { return opener.log->commands; }

  test::TempFolder temp;
  test::FakeOpener opener;
  Settings settings;
};

TEST_F(ScsiDriverTest, OperationsSendTheirCommandBlocksWithTheSelectedDevicesLun) {
  test::AddBlockDevice(temp / "sys", 0, "0:0:0:0");
  test::AddBlockDevice(temp / "sys", 1, "0:0:1:2");
  CSCSIDriverNative driver(settings, Sources());
  ASSERT_TRUE(driver.Init(1));
  ASSERT_EQ(Sent().size(), 2u);  // one INQUIRY per drive
  EXPECT_EQ(Sent()[0], BytesOf(InquiryCommand()));
  Sent().clear();
  opener.log->dataInLengths.clear();

  std::vector<uint8_t> buffer(2 * 2352);
  DiscTOC toc;
  EXPECT_TRUE(driver.Pause(true));
  EXPECT_TRUE(driver.ReadSubChannel(2, buffer.data(), 24, 5));
  EXPECT_TRUE(driver.Eject());
  EXPECT_TRUE(driver.StopUnit());
  EXPECT_TRUE(driver.PlayAudio(10, 20));
  EXPECT_TRUE(driver.ReadCDDA({5, 2, static_cast<uint32_t>(buffer.size()), buffer.data()}));
  EXPECT_TRUE(driver.ReadTOC(toc, 1));

  uint8_t lun = LunBits(2);
  std::vector<std::vector<uint8_t>> expected = {
      BytesOf(PauseResumeCommand(lun, true)), BytesOf(ReadSubChannelCommand(lun, 2, 5, 24)),
      BytesOf(EjectCommand()),                BytesOf(StopUnitCommand()),
      BytesOf(PlayAudioCommand(10, 20)),      BytesOf(ReadCddaCommand(0, lun, 5, 2)),
      BytesOf(ReadTocCommand(true))};
  EXPECT_EQ(Sent(), expected);
  EXPECT_EQ(opener.log->dataInLengths, (std::vector<uint32_t>{0, 24, 0, 0, 0, 2 * 2352, 804}));
}

TEST_F(ScsiDriverTest, TheReadCommandFollowsTheDeviceTypeOfItsOptions) {
  AddDrives(1);
  CSCSIDriverNative driver(settings, Sources());
  ASSERT_TRUE(driver.Init(0));
  std::vector<uint8_t> buffer(2352);
  for (int32_t type : {9, 3, 1, 0}) {
    settings.DeviceType = type;
    driver.SetOptions(settings);
    ASSERT_TRUE(driver.ReadCDDA({7, 1, 2352, buffer.data()}));
    EXPECT_EQ(Sent().back(), BytesOf(ReadCddaCommand(type, 0, 7, 1)));
  }
  // A change of the settings meanwhile does not reach a driver that is reading.
  settings.DeviceType = 9;
  ASSERT_TRUE(driver.ReadCDDA({7, 1, 2352, buffer.data()}));
  EXPECT_EQ(Sent().back(), BytesOf(ReadCddaCommand(0, 0, 7, 1)));
}

enum class Kind { Native, Generic };
enum class Operation { ReadCdda, ReadToc, StopUnit };

struct RetryCase {
  Kind kind;
  Operation operation;
  int32_t retryTimes;
  int failures;
  size_t expectedSent;
  bool expectedResult;
};

TEST_F(ScsiDriverTest, RetryBudget) {
  const RetryCase cases[] = {
      {Kind::Native, Operation::ReadCdda, 5, 2, 3, true},   {Kind::Native, Operation::ReadCdda, 5, 5, 5, false},
      {Kind::Native, Operation::ReadToc, 1, 1, 1, false},   {Kind::Native, Operation::ReadCdda, 0, 0, 0, false},
      {Kind::Native, Operation::StopUnit, 3, 2, 3, true},   {Kind::Native, Operation::StopUnit, 0, 0, 0, false},
      {Kind::Generic, Operation::ReadToc, 5, 2, 3, true},   {Kind::Generic, Operation::ReadCdda, 3, 3, 3, false},
      {Kind::Generic, Operation::ReadToc, 0, 0, 0, false},  {Kind::Generic, Operation::StopUnit, 5, 1, 1, false},
      {Kind::Generic, Operation::StopUnit, 0, 0, 1, true},
  };
  AddDrives(1);
  AddGenericDrives(1);
  for (const RetryCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.kind == Kind::Native ? "native" : "generic") << " operation "
                                    << static_cast<int>(c.operation) << " retries " << c.retryTimes << " failures "
                                    << c.failures);
    std::unique_ptr<CSCSIDriver> driver;
    if (c.kind == Kind::Native) {
      driver = std::make_unique<CSCSIDriverNative>(settings, Sources());
    } else {
      driver = std::make_unique<CSCSIDriver98>(settings, Sources());
    }
    settings.RetryTimes = 5;
    ASSERT_TRUE(driver->Init(0));
    ASSERT_EQ(driver->DeviceCount(), 1);
    Sent().clear();
    settings.RetryTimes = c.retryTimes;
    driver->SetOptions(settings);
    *opener.failures = c.failures;
    std::vector<uint8_t> buffer(2352);
    DiscTOC toc;
    bool result = false;
    switch (c.operation) {
      case Operation::ReadCdda: result = driver->ReadCDDA({0, 1, 2352, buffer.data()}); break;
      case Operation::ReadToc: result = driver->ReadTOC(toc, 0); break;
      case Operation::StopUnit: result = driver->StopUnit(); break;
    }
    EXPECT_EQ(Sent().size(), c.expectedSent);
    EXPECT_EQ(result, c.expectedResult);
  }
}

TEST_F(ScsiDriverTest, GenericKindResultsAndKeptSense) {
  AddGenericDrives(1);
  CSCSIDriver98 driver(settings, Sources());
  ASSERT_TRUE(driver.Init(0));
  CommandBlock stop = StopUnitCommand();
  EXPECT_EQ(driver.ExecSCSI(stop.bytes.data(), stop.length, nullptr, 0, nullptr, 0), 0);

  *opener.failures = 1;
  EXPECT_EQ(driver.ExecSCSI(stop.bytes.data(), stop.length, nullptr, 0, nullptr, 0), 2);
  EXPECT_EQ(driver.LastSense(), MakeSense({kSenseMediumError, 0x11, 0}));
  EXPECT_EQ(driver.LastErrorText(), "MEDIUM ERROR, unrecovered read error (sense 03/11/00)");

  *opener.failure = ScsiOutcome{ScsiStatus::Failed, {}, ETIMEDOUT};
  *opener.failures = 1;
  EXPECT_EQ(driver.ExecSCSI(stop.bytes.data(), stop.length, nullptr, 0, nullptr, 0), 1);
  EXPECT_EQ(driver.LastErrorText(), "Connection timed out");
  EXPECT_EQ(driver.LastSense(), MakeSense({kSenseMediumError, 0x11, 0}));  // kept from the CHECK CONDITION
}

TEST_F(ScsiDriverTest, WithoutDevicesEveryCommandFailsAndNothingIsSent) {
  std::vector<uint8_t> buffer(2352);
  DiscTOC toc;
  int32_t relative = 0, absolute = 0, status = 0;
  auto everyCommandFails = [&](CSCSIDriver& driver) {
    EXPECT_FALSE(driver.Pause(true));
    EXPECT_FALSE(driver.GetPlayPosition(relative, absolute, status));
    EXPECT_FALSE(driver.Eject());
    EXPECT_FALSE(driver.StopUnit());
    EXPECT_FALSE(driver.PlayAudio(0, 75));
    EXPECT_FALSE(driver.ReadCDDA({0, 1, 2352, buffer.data()}));
    EXPECT_FALSE(driver.ReadTOC(toc, 0));
  };
  CSCSIDriverNative native(settings, Sources());
  EXPECT_FALSE(native.Init(0));
  EXPECT_EQ(native.DeviceCount(), 0);
  everyCommandFails(native);

  CSCSIDriver98 generic(settings, Sources());
  EXPECT_TRUE(generic.Init(0));
  EXPECT_EQ(generic.DeviceCount(), 0);
  CommandBlock stop = StopUnitCommand();
  EXPECT_EQ(generic.ExecSCSI(stop.bytes.data(), stop.length, nullptr, 0, nullptr, 0), -1);
  everyCommandFails(generic);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(ScsiDriverTest, GetPlayPositionReadsStatusAndBothAddresses) {
  AddDrives(1);
  opener.reply = {0, 0x11, 0, 12, 1, 0x10, 3, 1, 0x00, 0x01, 0x23, 0x45, 0xFF, 0xFF, 0xFF, 0xB5};
  CSCSIDriverNative driver(settings, Sources());
  ASSERT_TRUE(driver.Init(0));
  int32_t relative = 0, absolute = 0, status = 0;
  ASSERT_TRUE(driver.GetPlayPosition(relative, absolute, status));
  EXPECT_EQ(status, 0x11);
  EXPECT_EQ(absolute, 0x12345);
  EXPECT_EQ(relative, -75);
  EXPECT_EQ(Sent().back(), BytesOf(ReadSubChannelCommand(0, 1, 0, 48)));
}

TEST_F(ScsiDriverTest, BuffersAreClearedAndShortReadBuffersRefused) {
  AddDrives(1);
  opener.reply = {0, 18, 1, 1};
  CSCSIDriverNative driver(settings, Sources());
  ASSERT_TRUE(driver.Init(0));
  DiscTOC toc;
  toc.bytes.fill(0xEE);
  ASSERT_TRUE(driver.ReadTOC(toc, 0));
  EXPECT_EQ(toc.bytes[1], 18);
  EXPECT_EQ(toc.bytes[4], 0);
  EXPECT_EQ(toc.bytes[803], 0);

  std::vector<uint8_t> sub(30, 0xEE);
  ASSERT_TRUE(driver.ReadSubChannel(0, sub.data(), 30, 0));
  EXPECT_EQ(sub[29], 0);

  size_t sent = Sent().size();
  std::vector<uint8_t> small(2 * 2352 - 1);
  EXPECT_FALSE(driver.ReadCDDA({0, 2, static_cast<uint32_t>(small.size()), small.data()}));
  EXPECT_FALSE(driver.ReadCDDA({0, 1, 2352, nullptr}));
  EXPECT_EQ(Sent().size(), sent);
}

TEST_F(ScsiDriverTest, DeviceTablesKeepTheirLimits) {
  AddDrives(9);
  CSCSIDriverNative native(settings, Sources());
  ASSERT_TRUE(native.Init(0));
  EXPECT_EQ(native.DeviceCount(), 8);  // a ninth drive is ignored
  EXPECT_EQ(native.Devices()[7].devicePath, temp / "dev/sr7");

  DriveSources withImages = Sources();
  for (int i = 0; i < 10; ++i) withImages.imagePaths.push_back(temp / ("disc" + std::to_string(i) + ".cue"));
  CSCSIDriverNative mixed(settings, withImages);
  ASSERT_TRUE(mixed.Init(0));
  EXPECT_EQ(mixed.DeviceCount(), 16);
  EXPECT_EQ(mixed.Devices()[8].devicePath, temp / "disc0.cue");

  AddGenericDrives(17);
  CSCSIDriver98 generic(settings, Sources());
  ASSERT_TRUE(generic.Init(0));
  EXPECT_EQ(generic.DeviceCount(), 16);  // a seventeenth device is ignored
  EXPECT_EQ(generic.Devices()[15].devicePath, temp / "dev/sg15");
  EXPECT_EQ(generic.Devices()[15].target, 15);
}

TEST_F(ScsiDriverTest, AUnitOpenedOnlyForReadingIsStillUsed) {
  // A folder opens for reading but never for writing, as a read-only device node does.
  std::filesystem::create_directories(temp / "dev/sr0");
  test::AddBlockDevice(temp / "sys", 0, "0:0:0:0");
  int error = 0;
  std::unique_ptr<SgDevice> device = SgDevice::Open(temp / "dev/sr0", error);
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->ReadOnly());
  EXPECT_FALSE(SgDevice::Open(temp / "dev/sr9", error));
  EXPECT_EQ(error, ENOENT);

  CSCSIDriverNative driver(settings, DriveSources{{temp / "sys", temp / "dev"}, {}, nullptr});
  EXPECT_TRUE(driver.Init(0));
  EXPECT_EQ(driver.DeviceCount(), 1);
  EXPECT_EQ(driver.Devices()[0].DisplayName(), "");  // its INQUIRY did not complete
  EXPECT_FALSE(driver.StopUnit());
}

TEST_F(ScsiDriverTest, ADriveThatCannotBeOpenedKeepsAnEmptyRecord) {
  AddDrives(2);
  struct HalfOpener final : UnitOpener {
    std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override {
      if (unit.path.ends_with("sr0")) {
        error = unit.path + ": Permission denied";
        return nullptr;
      }
      return inner.Open(unit, error);
    }
    test::FakeOpener inner;
  } half;
  CSCSIDriverNative driver(settings, DriveSources{{temp / "sys", temp / "dev"}, {}, &half});
  EXPECT_TRUE(driver.Init(1));
  EXPECT_EQ(driver.DeviceCount(), 2);
  EXPECT_EQ(driver.Devices()[0].DisplayName(), "");
  EXPECT_NE(driver.Devices()[1].DisplayName(), "");
  EXPECT_EQ(driver.UnitErrors(), std::vector<std::string>{temp / "dev/sr0" + ": Permission denied"});
  EXPECT_FALSE(driver.Init(0));  // the selected drive cannot be opened
  EXPECT_EQ(driver.DeviceCount(), 0);
}

}  // namespace
}  // namespace sonvarek
