#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct udev;
struct udev_monitor;

namespace sonvarek {

struct MediaEvent {
  enum class Kind { Arrived, Removed };
  Kind kind = Kind::Arrived;
  std::string devicePath;  // /dev/srN
};

// Looks up a udev property of the event; nullptr when it has none.
using UdevProperty = std::function<const char*(const char* name)>;

// Whether one udev event of subsystem "block" is a medium arriving in or leaving a
// CD drive: a "change" of a CD drive (ID_CDROM=1) is an arrival when udev reports a
// medium (ID_CDROM_MEDIA=1) and a removal otherwise; an eject request is neither;
// removing the drive itself is a removal.
std::optional<MediaEvent> ClassifyBlockEvent(std::string_view action, std::string_view devicePath,
                                             const UdevProperty& property);

// Media arrival and removal in CD drives, from a libudev monitor on subsystem "block".
// The front end watches Descriptor() for reading in its event loop and then calls
// TakeEvents(), which never blocks.
class MediaChangeWatcher {
 public:
  // Nothing, with `error` set, when udev cannot be reached.
  static std::unique_ptr<MediaChangeWatcher> Open(std::string& error);
  ~MediaChangeWatcher();
  MediaChangeWatcher(const MediaChangeWatcher&) = delete;
  MediaChangeWatcher& operator=(const MediaChangeWatcher&) = delete;

  int Descriptor() const;
  std::vector<MediaEvent> TakeEvents();

 private:
  MediaChangeWatcher(udev* context, udev_monitor* monitor) : context_(context), monitor_(monitor) {}

  udev* context_;
  udev_monitor* monitor_;
};

}  // namespace sonvarek
