#pragma once

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace sonvarek::test {

// A folder on a nearly full disk: a tmpfs of `bytes` mounted by the test when it may
// mount one (root), else an ordinary folder where, inside a FullDiskScope, no file
// can grow past `bytes` (RLIMIT_FSIZE: writes then fail with EFBIG as they fail
// with ENOSPC on a full disk). Either way a write past the limit fails part-way.
class SmallDisk {
 public:
  explicit SmallDisk(uint64_t bytes) : bytes_(bytes) {
    std::filesystem::create_directories(temp_ / "disk");
    mounted_ = geteuid() == 0 &&
               ::mount("tmpfs", (temp_ / "disk").c_str(), "tmpfs", 0, ("size=" + std::to_string(bytes)).c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2((temp_ / "disk").c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  std::string Path() const { return temp_ / "disk/"; }
  std::string operator/(const std::string& name) const { return temp_ / ("disk/" + name); }
  bool IsTmpfs() const { return mounted_; }
  uint64_t bytes() const { return bytes_; }

  // A shell prefix that gives a child process the same limit on what is left
  // ("ulimit -f" counts KiB).
  std::string ShellPrefix() const;

 private:
  TempFolder temp_;
  uint64_t bytes_;
  bool mounted_ = false;
};

// The bytes of the files in a folder and its subfolders.
inline uint64_t BytesUsed(const std::string& folder) {
  uint64_t used = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
    if (entry.is_regular_file(error)) used += entry.file_size(error);
  }
  return used;
}

// While it lives, no file of this process can grow past the space the disk has
// left, when the disk is not a real small file system.
class FullDiskScope {
 public:
  explicit FullDiskScope(const SmallDisk& disk) : active_(!disk.IsTmpfs()) {
    if (!active_) return;
    previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    uint64_t used = BytesUsed(disk.Path());
    limit.rlim_cur = used < disk.bytes() ? disk.bytes() - used : 0;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDiskScope() {
    if (!active_) return;
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousSignal_);
  }
  FullDiskScope(const FullDiskScope&) = delete;
  FullDiskScope& operator=(const FullDiskScope&) = delete;

 private:
  bool active_;
  rlimit previous_{};
  void (*previousSignal_)(int) = SIG_DFL;
};

inline std::string SmallDisk::ShellPrefix() const {
  if (mounted_) return "";
  uint64_t used = BytesUsed(Path());
  uint64_t left = used < bytes_ ? bytes_ - used : 0;
  return "trap '' XFSZ; ulimit -f " + std::to_string(left / 1024) + "; ";
}

// The names in a folder (no subfolders), for "nothing was left behind" checks.
inline std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sonvarek::test
