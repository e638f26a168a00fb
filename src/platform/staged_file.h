#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/file.h"

namespace sonvarek {

// An output file that appears under its final name whole or not at all. It is
// written into a hidden temporary file beside the final name (same folder, so the
// rename cannot cross file systems) and renamed over the final name by Commit,
// after every byte was flushed to disk. Destroying or discarding an uncommitted
// file removes the temporary file, so whatever had the final name before stays
// exactly as it was, and two writers of one name never mix their bytes: the last
// commit wins with a whole file.
class StagedFile {
 public:
  StagedFile() = default;
  // Creates the temporary file for `finalPath`. Its permissions are those a new file
  // gets (0666 less the umask), or `mode` when given (to keep an existing file's).
  // IsOpen() is false after a failure, with error()/ErrorText() saying why.
  static StagedFile Create(std::string_view finalPath);
  static StagedFile Create(std::string_view finalPath, mode_t mode);
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() { Discard(); }

  bool IsOpen() const { return !stagingPath_.empty(); }
  File& file() { return file_; }
  const std::string& finalPath() const { return finalPath_; }
  // Where the bytes are until Commit: steps that work on a file by its path
  // (tagging, scaling) use this one.
  const std::string& stagingPath() const { return stagingPath_; }

  // Closes the open file, keeping it staged for work by path. A write error that
  // shows at close is reported here.
  bool Close();
  // Close (if still open), flush the staged file to disk (a write error that shows
  // only then is reported here), rename it over the final name, flush the folder.
  bool Commit();
  // Removes the temporary file; the final name is not touched.
  void Discard();

  int error() const { return error_; }
  std::string ErrorText() const { return SystemErrorText(error_); }

 private:
  bool Fail(int error);

  File file_;
  std::string finalPath_;
  std::string stagingPath_;
  int error_ = 0;
};

}  // namespace sonvarek
