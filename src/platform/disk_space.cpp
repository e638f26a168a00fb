#include "platform/disk_space.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include "platform/folders.h"

namespace sonvarek {
namespace {

bool IsFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Walks up from the path until a folder exists; "/" always does.
std::string NearestExistingFolder(std::string_view path) {
  std::string current = WithoutTrailingSlashes(path);
  while (!current.empty() && !IsFolder(current)) {
    size_t slash = current.find_last_of('/');
    if (slash == std::string::npos) return ".";
    current = slash == 0 ? "/" : current.substr(0, slash);
  }
  return current.empty() ? "." : current;
}

}  // namespace

FreeSpace StatvfsDiskSpaceProbe::Query(std::string_view path) const {
  FreeSpace result;
  result.folder = NearestExistingFolder(path);
  struct statvfs status {};
  if (statvfs(result.folder.c_str(), &status) != 0) return result;
  result.queried = true;
  result.freeBytes = static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
  return result;
}

const DiskSpaceProbe& SystemDiskSpaceProbe() {
  static const StatvfsDiskSpaceProbe probe;
  return probe;
}

}  // namespace sonvarek
