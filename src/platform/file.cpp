#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sonvarek {
namespace {

int OpenFlags(File::Mode mode) {
  switch (mode) {
    case File::Mode::Read: return O_RDONLY;
    case File::Mode::ReadWrite: return O_RDWR;
    case File::Mode::CreateTruncate: return O_WRONLY | O_CREAT | O_TRUNC;
    case File::Mode::Append: return O_WRONLY | O_CREAT | O_APPEND;
    case File::Mode::CreateNew: return O_RDWR | O_CREAT | O_EXCL;
  }
  return O_RDONLY;
}

}  // namespace

std::string SystemErrorText(int error) { return std::strerror(error); }

File File::Open(std::string_view path, Mode mode) {
  std::string name(path);
  const bool existing = mode == Mode::Read || mode == Mode::ReadWrite;
  // O_NONBLOCK so that opening a FIFO without a writer returns instead of waiting.
  int descriptor = ::open(name.c_str(), OpenFlags(mode) | O_CLOEXEC | (existing ? O_NONBLOCK : 0), 0666);
  if (descriptor < 0) {
    File refused(-1, errno);
    refused.notRegular_ = errno == EISDIR;
    return refused;
  }
  File file(descriptor, 0);
  if (!existing) return file;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return File(-1, errno);
  if (!S_ISREG(status.st_mode)) {
    File refused(-1, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    refused.notRegular_ = true;
    return refused;
  }
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  return file;
}

File::File(File&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), error_(other.error_), notRegular_(other.notRegular_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
    error_ = other.error_;
    notRegular_ = other.notRegular_;
  }
  return *this;
}

File::~File() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool File::Fail() {
  error_ = errno;
  return false;
}

int64_t File::Read(void* buffer, size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t count = ::read(descriptor_, bytes + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      Fail();
      return -1;
    }
    if (count == 0) break;
    done += static_cast<size_t>(count);
  }
  return static_cast<int64_t>(done);
}

bool File::WriteAll(const void* buffer, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t count = ::write(descriptor_, bytes + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Fail();
    if (count == 0) {
      errno = ENOSPC;
      return Fail();
    }
    done += static_cast<size_t>(count);
  }
  return true;
}

bool File::Seek(int64_t offset) {
  return ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) >= 0 || Fail();
}

std::optional<int64_t> File::Size() {
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0) {
    Fail();
    return std::nullopt;
  }
  return static_cast<int64_t>(status.st_size);
}

bool File::Sync() { return ::fsync(descriptor_) == 0 || Fail(); }

bool File::Close() {
  if (descriptor_ < 0) return true;
  int result = ::close(std::exchange(descriptor_, -1));
  return result == 0 || Fail();
}

std::string File::ErrorText() const { return notRegular_ ? "not a regular file" : SystemErrorText(error_); }

}  // namespace sonvarek
