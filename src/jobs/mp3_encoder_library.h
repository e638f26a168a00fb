#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lame_enc/lame_enc.h"
#include "platform/user_notice.h"

namespace sonvarek {

// The encoder library's file name; dlopen finds it through the library search path
// (the executables' RPATH names the folder that holds it, built or installed).
inline constexpr char kEncoderLibraryName[] = "liblame_enc.so";

// The entry points of a loaded library; writeVbrHeader is optional and may be null.
struct EncoderEntryPoints {
  LameEncInitStream initStream = nullptr;
  LameEncEncodeChunk encodeChunk = nullptr;
  LameEncDeinitStream deinitStream = nullptr;
  LameEncCloseStream closeStream = nullptr;
  LameEncVersionInfo version = nullptr;
  LameEncWriteVbrHeader writeVbrHeader = nullptr;
};

// The MP3 encoder library of the running program. It owns the loaded library and
// unloads it when destroyed or replaced. Load and unload only while no batch uses it.
class Mp3EncoderLibrary {
 public:
  explicit Mp3EncoderLibrary(std::string fileName = kEncoderLibraryName);
  Mp3EncoderLibrary(const Mp3EncoderLibrary&) = delete;
  Mp3EncoderLibrary& operator=(const Mp3EncoderLibrary&) = delete;

  // Only engine 0 (the library of this folder's name) exists; any other engine fails
  // at once. Loads the library and looks up the six entry points; succeeds when the
  // five required ones were found, otherwise forgets them all, unloads the library
  // and fails. A library loaded before is unloaded first.
  bool LoadEncoder(int32_t engine);
  void Unload();

  // Null while no library is loaded.
  const EncoderEntryPoints* EntryPoints() const { return handle_ ? &entryPoints_ : nullptr; }
  // The loader's text for the last failure, for diagnostics.
  const std::string& LastError() const { return lastError_; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };

  std::string fileName_;
  std::unique_ptr<void, Closer> handle_;
  EncoderEntryPoints entryPoints_;
  std::string lastError_;
};

// At start: loads the engine `MP3Encoder` names; on failure shows text::kNoEncodeDll
// and goes on (every MP3 encoding then fails to initialise).
void LoadEncoderAtStart(Mp3EncoderLibrary& library, int32_t engine, UserNotice& notice);

// After the options were confirmed with another engine: `engineInUse` becomes
// `newEngine` and that engine is loaded; when it cannot be, the user is told and the
// old engine is loaded again (and told once more if that fails too). Nothing happens
// when the engine did not change.
void ChangeEncoder(Mp3EncoderLibrary& library, int32_t& engineInUse, int32_t newEngine, UserNotice& notice);

}  // namespace sonvarek
