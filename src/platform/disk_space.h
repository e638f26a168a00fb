#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonvarek {

struct FreeSpace {
  bool queried = false;     // false: the query failed and callers skip their check
  uint64_t freeBytes = 0;   // bytes available to the caller
  std::string folder;       // the existing folder that was asked, for messages
};

// Free space of the file system that would hold `path`. An interface so that jobs
// can be tested against a nearly full disk without filling one.
class DiskSpaceProbe {
 public:
  virtual ~DiskSpaceProbe() = default;
  virtual FreeSpace Query(std::string_view path) const = 0;
};

// statvfs on the nearest existing folder of the path (f_bavail * f_frsize).
class StatvfsDiskSpaceProbe final : public DiskSpaceProbe {
 public:
  FreeSpace Query(std::string_view path) const override;
};

const DiskSpaceProbe& SystemDiskSpaceProbe();

}  // namespace sonvarek
