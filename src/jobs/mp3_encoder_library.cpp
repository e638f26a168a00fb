#include "jobs/mp3_encoder_library.h"

#include <dlfcn.h>

#include "core/string_table.h"

namespace sonvarek {
namespace {

template <typename Function>
Function Lookup(void* handle, const char* name) {
  return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

void Mp3EncoderLibrary::Closer::operator()(void* handle) const { dlclose(handle); }

Mp3EncoderLibrary::Mp3EncoderLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

bool Mp3EncoderLibrary::LoadEncoder(int32_t engine) {
  Unload();
  if (engine != 0) {
    lastError_ = "no encoder engine " + std::to_string(engine);
    return false;
  }
  std::unique_ptr<void, Closer> handle(dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) {
    const char* error = dlerror();
    lastError_ = error != nullptr ? error : fileName_;
    return false;
  }
  EncoderEntryPoints found;
  found.initStream = Lookup<LameEncInitStream>(handle.get(), "beInitStream");
  found.encodeChunk = Lookup<LameEncEncodeChunk>(handle.get(), "beEncodeChunk");
  found.deinitStream = Lookup<LameEncDeinitStream>(handle.get(), "beDeinitStream");
  found.closeStream = Lookup<LameEncCloseStream>(handle.get(), "beCloseStream");
  found.version = Lookup<LameEncVersionInfo>(handle.get(), "beVersion");
  found.writeVbrHeader = Lookup<LameEncWriteVbrHeader>(handle.get(), "beWriteVBRHeader");
  if (!found.initStream || !found.encodeChunk || !found.deinitStream || !found.closeStream || !found.version) {
    lastError_ = fileName_ + " lacks a required entry point";
    return false;  // `handle` unloads the library
  }
  entryPoints_ = found;
  handle_ = std::move(handle);
  lastError_.clear();
  return true;
}

void Mp3EncoderLibrary::Unload() {
  entryPoints_ = {};
  handle_.reset();
}

void LoadEncoderAtStart(Mp3EncoderLibrary& library, int32_t engine, UserNotice& notice) {
  if (!library.LoadEncoder(engine)) notice.Show(text::kNoEncodeDll, NoticeKind::Warning);
}

void ChangeEncoder(Mp3EncoderLibrary& library, int32_t& engineInUse, int32_t newEngine, UserNotice& notice) {
  if (newEngine == engineInUse) return;
  const int32_t oldEngine = engineInUse;
  engineInUse = newEngine;
  library.Unload();
  if (library.LoadEncoder(newEngine)) return;
  notice.Show(text::kCantLoadEncoder, NoticeKind::Warning);
  if (!library.LoadEncoder(oldEngine)) notice.Show(text::kCantLoadOldEncoder, NoticeKind::Error);
}

}  // namespace sonvarek
