#include "platform/staged_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sonvarek {
namespace {

// File names are at most 255 bytes; the hidden name adds a dot and ".XXXXXX".
constexpr size_t kMaxStagedNameStem = 240;

std::string FolderOf(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string("./") : std::string(path.substr(0, slash + 1));
}

std::string NameOf(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string RandomSuffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 generator(std::random_device{}());
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[pick(generator)];
  return suffix;
}

// A folder's entries reach the disk only when the folder itself is flushed.
void SyncFolder(const std::string& folder) {
  int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

StagedFile StagedFile::Create(std::string_view finalPath) {
  StagedFile staged;
  staged.finalPath_ = std::string(finalPath);
  const std::string stem = FolderOf(finalPath) + "." + NameOf(finalPath).substr(0, kMaxStagedNameStem) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + RandomSuffix();
    // A new file only: never take over a file that another writer is staging.
    File file = File::Open(candidate, File::Mode::CreateNew);
    if (file.IsOpen()) {
      staged.file_ = std::move(file);
      staged.stagingPath_ = candidate;
      return staged;
    }
    if (file.error() != EEXIST) {
      staged.error_ = file.error();
      return staged;
    }
  }
  staged.error_ = EEXIST;
  return staged;
}

StagedFile StagedFile::Create(std::string_view finalPath, mode_t mode) {
  StagedFile staged = Create(finalPath);
  if (staged.IsOpen() && ::fchmod(staged.file_.descriptor(), mode & 07777) != 0) {
    staged.Fail(errno);
    staged.Discard();
  }
  return staged;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : file_(std::move(other.file_)),
      finalPath_(std::move(other.finalPath_)),
      stagingPath_(std::exchange(other.stagingPath_, {})),
      error_(other.error_) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    Discard();
    file_ = std::move(other.file_);
    finalPath_ = std::move(other.finalPath_);
    stagingPath_ = std::exchange(other.stagingPath_, {});
    error_ = other.error_;
  }
  return *this;
}

bool StagedFile::Fail(int error) {
  error_ = error;
  return false;
}

bool StagedFile::Close() {
  if (!file_.IsOpen()) return true;
  return file_.Close() || Fail(file_.error());
}

bool StagedFile::Commit() {
  if (!IsOpen()) return Fail(error_ != 0 ? error_ : EBADF);
  if (!Close()) return false;
  // Flushed once, through a fresh descriptor: the staged file may have been
  // rewritten by path since it was closed (tags, scaling), even replaced.
  File written = File::Open(stagingPath_, File::Mode::Read);
  if (!written.IsOpen() || !written.Sync()) return Fail(written.error());
  written.Close();
  if (std::rename(stagingPath_.c_str(), finalPath_.c_str()) != 0) return Fail(errno);
  stagingPath_.clear();
  SyncFolder(FolderOf(finalPath_));
  return true;
}

void StagedFile::Discard() {
  file_.Close();
  if (stagingPath_.empty()) return;
  std::error_code ignored;  // a leftover temporary file never takes the final name; nothing to report
  std::filesystem::remove(stagingPath_, ignored);
  stagingPath_.clear();
}

}  // namespace sonvarek
