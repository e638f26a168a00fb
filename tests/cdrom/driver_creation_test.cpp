#include "cdrom/driver_creation.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include "cdrom_test_support.h"
#include "core/string_table.h"

namespace sonvarek {
namespace {

class DriverCreationTest : public ::testing::Test {
 protected:
  DriveSources Sources() { return DriveSources{{temp / "sys", temp / "dev"}, {}, &opener}; }

  test::TempFolder temp;
  test::FakeOpener opener;
  Settings settings;
  RecordingNotice notice;
};

TEST_F(DriverCreationTest, AUnitBeyondTheDrivesSelectsTheFirstAndRewritesTheSetting) {
  test::AddBlockDevice(temp / "sys", 0, "0:0:0:0");
  test::AddBlockDevice(temp / "sys", 1, "0:0:1:0");
  for (int32_t unit : {3, -2}) {
    settings.CDROMDriver = unit;
    CdDriverCreation creation = CreateCdDriver(settings, notice, Sources());
    ASSERT_TRUE(creation.usable);
    EXPECT_EQ(creation.driver->SelectedDevice(), 0);
    EXPECT_EQ(settings.CDROMDriver, 0);
    EXPECT_EQ(DeviceStatusText(creation), "Device: V-sr0   MODEL           ");
  }
  settings.CDROMDriver = 1;
  CdDriverCreation second = CreateCdDriver(settings, notice, Sources());
  EXPECT_EQ(second.driver->SelectedDevice(), 1);
  EXPECT_EQ(settings.CDROMDriver, 1);
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(DriverCreationTest, NoDriveLeavesAnUnusableDriverAndTellsTheUser) {
  settings.CDROMDriver = 3;
  CdDriverCreation native = CreateCdDriver(settings, notice, Sources());
  EXPECT_FALSE(native.usable);
  ASSERT_TRUE(native.driver);
  EXPECT_FALSE(native.driver->StopUnit());
  EXPECT_EQ(notice.texts, std::vector<std::string>{"Error while initialize CD-ROM under Linux (SG_IO on /dev/sr*)."});
  EXPECT_EQ(DeviceStatusText(native), "No CDROM found!");
  EXPECT_EQ(settings.CDROMDriver, 3);

  // The generic kind starts without devices; the unit setting then becomes 0.
  settings.bUseASPI = 1;
  notice.texts.clear();
  CdDriverCreation generic = CreateCdDriver(settings, notice, Sources());
  EXPECT_TRUE(generic.usable);
  EXPECT_EQ(generic.driver->DeviceCount(), 0);
  EXPECT_FALSE(generic.driver->StopUnit());
  EXPECT_EQ(settings.CDROMDriver, 0);
  EXPECT_TRUE(notice.texts.empty());
  EXPECT_EQ(DeviceStatusText(generic), "No CDROM found!");
}

TEST_F(DriverCreationTest, ForceGenericChoosesTheScsiGenericDevices) {
  test::AddBlockDevice(temp / "sys", 0, "0:0:0:0");
  test::AddGenericDevice(temp / "sys", 4, "1:0:0:0", 5);
  test::AddGenericDevice(temp / "sys", 5, "2:0:0:0", 5);
  settings.bUseASPI = 1;
  CdDriverCreation creation = CreateCdDriver(settings, notice, Sources());
  ASSERT_TRUE(creation.usable);
  ASSERT_EQ(creation.driver->DeviceCount(), 2);
  EXPECT_EQ(creation.driver->Devices()[0].devicePath, temp / "dev/sg4");
  EXPECT_EQ(creation.driver->Devices()[1].hostAdapter, 2);
}

TEST_F(DriverCreationTest, ImagesThatCannotBeLoadedAreToldByFileName) {
  DriveSources sources{{temp / "sys", temp / "dev"}, {temp / "missing.cue"}, nullptr};
  CdDriverCreation creation = CreateCdDriver(settings, notice, sources);
  EXPECT_FALSE(creation.usable);
  ASSERT_EQ(notice.texts.size(), 2u);
  EXPECT_EQ(notice.texts[0], temp / "missing.cue" + ": cannot open the CUE sheet: No such file or directory");
  EXPECT_EQ(notice.texts[1], text::kErrorInitializeCdromNative);
}

TEST(DriverSources, ImagePathsComeFromTheEnvironmentInOrder) {
  setenv("SONVAREK_CD_IMAGE", "/a/one.cue::/b/two.cue:", 1);
  EXPECT_EQ(ImagePathsFromEnvironment(), (std::vector<std::string>{"/a/one.cue", "/b/two.cue"}));
  EXPECT_EQ(SystemDriveSources({"/c/three.cue"}).imagePaths,
            (std::vector<std::string>{"/a/one.cue", "/b/two.cue", "/c/three.cue"}));
  unsetenv("SONVAREK_CD_IMAGE");
  EXPECT_TRUE(ImagePathsFromEnvironment().empty());
  EXPECT_EQ(SystemDriveSources().roots.sysfs, "/sys");
}

}  // namespace
}  // namespace sonvarek
