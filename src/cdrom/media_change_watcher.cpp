#include "cdrom/media_change_watcher.h"

#include <libudev.h>

#include "core/string_table.h"

namespace sonvarek {
namespace {

bool Is(const char* value, std::string_view expected) { return value != nullptr && expected == value; }

}  // namespace

std::optional<MediaEvent> ClassifyBlockEvent(std::string_view action, std::string_view devicePath,
                                             const UdevProperty& property) {
  if (!Is(property("ID_CDROM"), "1") || devicePath.empty()) return std::nullopt;
  MediaEvent event;
  event.devicePath = std::string(devicePath);
  if (action == "remove") {
    event.kind = MediaEvent::Kind::Removed;
    return event;
  }
  if (action != "change" || Is(property("DISK_EJECT_REQUEST"), "1")) return std::nullopt;
  event.kind = Is(property("ID_CDROM_MEDIA"), "1") ? MediaEvent::Kind::Arrived : MediaEvent::Kind::Removed;
  return event;
}

std::unique_ptr<MediaChangeWatcher> MediaChangeWatcher::Open(std::string& error) {
  udev* context = udev_new();
  if (context == nullptr) {
    error = text::kUdevUnreachable;
    return nullptr;
  }
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", "disk") < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    error = text::kUdevCantWatch;
    if (monitor != nullptr) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::unique_ptr<MediaChangeWatcher>(new MediaChangeWatcher(context, monitor));
}

MediaChangeWatcher::~MediaChangeWatcher() {
  udev_monitor_unref(monitor_);
  udev_unref(context_);
}

int MediaChangeWatcher::Descriptor() const { return udev_monitor_get_fd(monitor_); }

std::vector<MediaEvent> MediaChangeWatcher::TakeEvents() {
  std::vector<MediaEvent> events;
  // The monitor's socket is non-blocking: receive_device returns nullptr once drained.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(device);
    const char* node = udev_device_get_devnode(device);
    auto property = [device](const char* name) { return udev_device_get_property_value(device, name); };
    if (auto event = ClassifyBlockEvent(action ? action : "", node ? node : "", property)) {
      events.push_back(std::move(*event));
    }
    udev_device_unref(device);
  }
  return events;
}

}  // namespace sonvarek
