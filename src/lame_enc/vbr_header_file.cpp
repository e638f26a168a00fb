#include "lame_enc/vbr_header_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lame_enc {
namespace {

constexpr size_t kId3v2HeaderSize = 10;
constexpr size_t kFrameHeaderSize = 4;

// A descriptor closed on every exit.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool ReadAt(int fd, uint8_t* buffer, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t count = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

bool WriteAt(int fd, const uint8_t* buffer, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t count = ::pwrite(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

// The reserved frame and the tag frame are made for the same stream: same sync,
// version, layer, protection, bit rate, sample rate and channel mode.
bool SameFrameHeader(const uint8_t* a, const uint8_t* b) {
  return a[0] == 0xFF && (a[1] & 0xE0) == 0xE0 && a[0] == b[0] && a[1] == b[1] && (a[2] & 0xFC) == (b[2] & 0xFC) &&
         (a[3] & 0xC0) == (b[3] & 0xC0);
}

}  // namespace

uint64_t FirstFrameOffset(const uint8_t* head, size_t size) {
  if (size < kId3v2HeaderSize || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return 0;
  uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (head[i] & 0x80) return 0;  // not a synchsafe size: not a tag
    body = (body << 7) | head[i];
  }
  const bool footer = (head[5] & 0x10) != 0;
  return kId3v2HeaderSize + body + (footer ? kId3v2HeaderSize : 0);
}

BE_ERR WriteTagFrameIntoFile(const char* path, const std::vector<uint8_t>& tagFrame) {
  if (path == nullptr || tagFrame.size() < kFrameHeaderSize) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  Descriptor file(::open(path, O_RDWR | O_CLOEXEC));
  if (file.get() < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const auto fileSize = static_cast<uint64_t>(status.st_size);

  uint8_t head[kId3v2HeaderSize] = {};
  const size_t headSize = fileSize < sizeof head ? static_cast<size_t>(fileSize) : sizeof head;
  if (!ReadAt(file.get(), head, headSize, 0)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const uint64_t offset = FirstFrameOffset(head, headSize);
  if (offset + tagFrame.size() > fileSize) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  uint8_t reserved[kFrameHeaderSize] = {};
  if (!ReadAt(file.get(), reserved, sizeof reserved, offset) || !SameFrameHeader(reserved, tagFrame.data())) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  if (!WriteAt(file.get(), tagFrame.data(), tagFrame.size(), offset)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  return file.Close() ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

}  // namespace lame_enc
