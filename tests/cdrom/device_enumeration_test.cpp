#include "cdrom/device_enumeration.h"

#include <gtest/gtest.h>

#include "cdrom_test_support.h"

namespace sonvarek {
namespace {

TEST(DeviceEnumeration, BlockDevicesInNumberOrderWithTheirAddress) {
  test::TempFolder temp;
  DeviceRoots roots{temp / "sys", "/dev"};
  test::AddBlockDevice(roots.sysfs, 10, "3:0:1:0");
  test::AddBlockDevice(roots.sysfs, 2, "1:0:0:2");
  test::AddBlockDevice(roots.sysfs, 0, "0:0:0:0");
  std::filesystem::create_directories(temp / "sys/block/sda");
  std::filesystem::create_directories(temp / "sys/block/srx");

  std::vector<UnitLocation> units = ListCdBlockDevices(roots, 8);
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0].path, "/dev/sr0");
  EXPECT_EQ(units[1].path, "/dev/sr2");
  EXPECT_EQ(units[2].path, "/dev/sr10");
  EXPECT_EQ(units[1].host, 1);
  EXPECT_EQ(units[1].lun, 2);
  EXPECT_EQ(units[2].target, 1);
  EXPECT_EQ(ListCdBlockDevices(roots, 2).size(), 2u);
  EXPECT_TRUE(ListCdBlockDevices({temp / "missing", "/dev"}, 8).empty());
}

TEST(DeviceEnumeration, GenericDevicesOfTypeFiveInAddressOrder) {
  test::TempFolder temp;
  DeviceRoots roots{temp / "sys", temp / "dev"};
  test::AddGenericDevice(roots.sysfs, 0, "0:0:0:0", 0);  // a disk
  test::AddGenericDevice(roots.sysfs, 1, "2:0:0:0", 5);
  test::AddGenericDevice(roots.sysfs, 2, "1:0:3:1", 5);
  test::AddGenericDevice(roots.sysfs, 3, "1:0:3:0", 5);

  std::vector<UnitLocation> units = ListGenericCdDevices(roots, 16);
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0].path, temp / "dev/sg3");
  EXPECT_EQ(units[1].path, temp / "dev/sg2");
  EXPECT_EQ(units[2].path, temp / "dev/sg1");
  EXPECT_EQ(units[1].lun, 1);
  EXPECT_EQ(ListGenericCdDevices(roots, 1).front().path, temp / "dev/sg3");
}

TEST(DeviceEnumeration, ScsiAddressText) {
  UnitLocation unit;
  EXPECT_TRUE(ParseScsiAddress("4:0:2:7", unit));
  EXPECT_EQ(unit.host, 4);
  EXPECT_EQ(unit.target, 2);
  EXPECT_EQ(unit.lun, 7);
  for (const char* bad : {"", "1:2:3", "1:2:3:4:5", "a:0:0:0", "1:0:0:0x", "block"}) {
    EXPECT_FALSE(ParseScsiAddress(bad, unit)) << bad;
  }
  EXPECT_EQ(unit.lun, 7);
}

}  // namespace
}  // namespace sonvarek
