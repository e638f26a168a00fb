#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonvarek {

// An open file descriptor that is closed on every exit. Every failing call records
// errno so that the caller can log the system's text for it (ErrorText).
class File {
 public:
  enum class Mode {
    Read,            // existing file, read only
    ReadWrite,       // existing file, read and rewrite in place
    CreateTruncate,  // create or empty, write only
    Append,          // create or append, write only
    CreateNew,       // a file that must not exist yet (EEXIST otherwise), read and write
  };

  File() = default;
  // Read and ReadWrite open regular files only: a FIFO, a device or a folder is
  // refused at once (NotRegular), since reading one could block where a cancel
  // cannot reach or never end.
  static File Open(std::string_view path, Mode mode);
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  bool IsOpen() const { return descriptor_ >= 0; }
  int descriptor() const { return descriptor_; }

  // Reads up to `size` bytes, fewer only at the end of the file; -1 on error.
  int64_t Read(void* buffer, size_t size);
  // Writes every byte or fails (a full disk is a failure, never a short write).
  bool WriteAll(const void* buffer, size_t size);
  bool Seek(int64_t offset);
  std::optional<int64_t> Size();
  bool Sync();
  // Closes and reports a failure that only shows at close (delayed write errors).
  bool Close();

  int error() const { return error_; }
  bool NotRegular() const { return notRegular_; }
  std::string ErrorText() const;

 private:
  explicit File(int descriptor, int error) : descriptor_(descriptor), error_(error) {}
  bool Fail();

  int descriptor_ = -1;
  int error_ = 0;
  bool notRegular_ = false;
};

// The system's text for an errno value.
std::string SystemErrorText(int error);

}  // namespace sonvarek
