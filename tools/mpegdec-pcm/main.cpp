// mpegdec-pcm FILE: decodes an MP3 file with the floating-point full-rate decoder and writes
// raw interleaved signed 16-bit little-endian PCM to standard output, with one line
// "rate channels frames" on standard error, so that its output can be compared with another
// decoder's.
//
// Files of any length: each frame's PCM is written as soon as it is decoded, and the input is
// mapped rather than read, with the pages behind the decoding position let go, so memory stays
// bounded. The walk over the stream is WalkStream's, as DecodeStream's, so the bytes are the same.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mpegdec/stream_walk.h"

namespace {

using namespace sonvarek::mpegdec;

// The whole input as one buffer, as the stream walk wants it. A regular file is mapped, so only
// the pages in use take memory; anything else (a pipe) cannot be mapped and is read whole.
class Input {
 public:
  Input() = default;
  ~Input() {
    if (mapping_ != nullptr) ::munmap(mapping_, size_);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // False with `error` set when the file cannot be read.
  bool Open(const char* path, std::string& error) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = std::strerror(errno);
      return false;
    }
    const bool loaded = Load(fd, error);
    ::close(fd);  // a mapping outlives its descriptor
    return loaded;
  }

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

  // Lets go of the mapped pages wholly before `offset`, a megabyte or more at a time. The walk
  // never goes back, and were a page read again it would come back from the file.
  void Release(size_t offset) {
    constexpr size_t kStep = size_t{1} << 20;
    static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t end = offset / page * page;
    if (mapping_ == nullptr || end < released_ + kStep) return;
    ::madvise(static_cast<uint8_t*>(mapping_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
  }

 private:
  bool Load(int fd, std::string& error) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
      error = std::strerror(errno);
      return false;
    }
    if (!S_ISREG(status.st_mode)) return ReadWhole(fd, error);
    size_ = static_cast<size_t>(status.st_size);
    if (size_ == 0) return true;  // nothing to map; the walk finds no frame
    void* mapping = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping == MAP_FAILED) {
      error = std::strerror(errno);
      return false;
    }
    mapping_ = mapping;
    data_ = static_cast<const uint8_t*>(mapping);
    ::madvise(mapping, size_, MADV_SEQUENTIAL);  // read ahead; a hint, so its result does not matter
    return true;
  }

  bool ReadWhole(int fd, std::string& error) {
    std::vector<uint8_t> chunk(size_t{1} << 16);
    for (;;) {
      const ssize_t got = ::read(fd, chunk.data(), chunk.size());
      if (got == 0) break;
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        error = std::strerror(errno);
        return false;
      }
      bytes_.insert(bytes_.end(), chunk.begin(), chunk.begin() + got);
    }
    data_ = bytes_.data();
    size_ = bytes_.size();
    return true;
  }

  void* mapping_ = nullptr;
  std::vector<uint8_t> bytes_;  // the input when it is not mapped
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t released_ = 0;
};

// False when standard output refuses the bytes (a full disk, a closed pipe).
bool Write(const uint8_t* bytes, size_t count) { return count == 0 || std::fwrite(bytes, 1, count, stdout) == count; }

// The cause of a failed write, never 0, so that a failure cannot pass for success.
int WriteError() { return errno != 0 ? errno : EIO; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mpegdec-pcm FILE\n");
    return 2;
  }
  // Fewer, larger writes than one a frame; the C library takes the size only with a buffer.
  static char output_buffer[1 << 16];
  std::setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
  Input input;
  std::string error;
  if (!input.Open(argv[1], error)) {
    std::fprintf(stderr, "mpegdec-pcm: cannot open %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  int write_error = 0;  // errno of a failed write, 0 while all is written
  const auto write = [&input, &write_error](const uint8_t* pcm, size_t bytes, size_t consumed) {
    if (!Write(pcm, bytes)) {
      write_error = WriteError();
      return false;
    }
    input.Release(consumed);
    return true;
  };
  const DecoderVariant& variant = DecoderVariantFor(Arithmetic::Float, OutputRate::Full);
  const StreamDecodeResult walk =
      WalkStream(variant, input.data(), input.size(), kFullRate, kKeepChannels, kFullBandLimit, write);
  if (!walk.initialised) {
    std::fprintf(stderr, "mpegdec-pcm: no decodable MPEG audio frame in %s\n", argv[1]);
    return 1;
  }
  if (write_error == 0 && std::fflush(stdout) != 0) write_error = WriteError();
  if (write_error != 0) {
    std::fprintf(stderr, "mpegdec-pcm: cannot write the PCM: %s\n", std::strerror(write_error));
    return 1;
  }
  std::fprintf(stderr, "%d %d %d\n", walk.info.samprate, walk.info.channels, walk.frames);
  return 0;
}
