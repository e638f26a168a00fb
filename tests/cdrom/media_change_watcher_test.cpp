#include "cdrom/media_change_watcher.h"

#include <gtest/gtest.h>
#include <map>

namespace sonvarek {
namespace {

TEST(MediaChangeWatcher, ClassifiesBlockEvents) {
  using Properties = std::map<std::string, std::string>;
  struct Case {
    const char* action;
    Properties properties;
    std::optional<MediaEvent::Kind> expected;
  } cases[] = {
      {"change", {{"ID_CDROM", "1"}, {"ID_CDROM_MEDIA", "1"}, {"DISK_MEDIA_CHANGE", "1"}}, MediaEvent::Kind::Arrived},
      {"change", {{"ID_CDROM", "1"}, {"DISK_MEDIA_CHANGE", "1"}}, MediaEvent::Kind::Removed},
      {"change", {{"ID_CDROM", "1"}, {"ID_CDROM_MEDIA", "1"}, {"DISK_EJECT_REQUEST", "1"}}, std::nullopt},
      {"remove", {{"ID_CDROM", "1"}}, MediaEvent::Kind::Removed},
      {"add", {{"ID_CDROM", "1"}, {"ID_CDROM_MEDIA", "1"}}, std::nullopt},
      {"change", {{"ID_CDROM_MEDIA", "1"}}, std::nullopt},  // not a CD drive
  };
  for (const Case& c : cases) {
    auto property = [&c](const char* name) -> const char* {
      auto found = c.properties.find(name);
      return found == c.properties.end() ? nullptr : found->second.c_str();
    };
    std::optional<MediaEvent> event = ClassifyBlockEvent(c.action, "/dev/sr0", property);
    ASSERT_EQ(event.has_value(), c.expected.has_value()) << c.action;
    if (event) {
      EXPECT_EQ(event->kind, *c.expected) << c.action;
      EXPECT_EQ(event->devicePath, "/dev/sr0");
    }
  }
}

TEST(MediaChangeWatcher, OpensAMonitorThatDoesNotBlock) {
  std::string error;
  std::unique_ptr<MediaChangeWatcher> watcher = MediaChangeWatcher::Open(error);
  if (!watcher) GTEST_SKIP() << "udev is not reachable here: " << error;
  EXPECT_GE(watcher->Descriptor(), 0);
  watcher->TakeEvents();  // returns at once even when nothing happened
}

}  // namespace
}  // namespace sonvarek
