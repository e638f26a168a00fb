#include "jobs/playlist.h"

#include <sys/stat.h>

#include "platform/file.h"
#include "platform/staged_file.h"

namespace sonvarek {
namespace {

bool HasControlCharacter(const std::string& path) {
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A path that holds a line break cannot stand on an M3U line as it is; as a file
// URL with every unusual byte escaped, players still find the file.
std::string PlaylistEntry(const std::string& path) {
  if (!HasControlCharacter(path)) return path;
  std::string url = "file://";
  for (unsigned char c : path) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
                 c == '_' || c == '.' || c == '~';
    if (plain) {
      url += static_cast<char>(c);
    } else {
      constexpr char kHexDigits[] = "0123456789ABCDEF";
      url += '%';
      url += kHexDigits[c >> 4];
      url += kHexDigits[c & 0xF];
    }
  }
  return url;
}

// The lines already in the play list; false when it exists but cannot be read.
bool ReadExisting(const std::string& path, std::string& text, mode_t& mode) {
  File existing = File::Open(path, File::Mode::Read);
  if (!existing.IsOpen()) return existing.error() == ENOENT;
  struct stat status {};
  if (::fstat(existing.descriptor(), &status) == 0) mode = status.st_mode;
  char buffer[64 * 1024];
  for (int64_t count; (count = existing.Read(buffer, sizeof buffer)) != 0;) {
    if (count < 0) return false;
    text.append(buffer, static_cast<size_t>(count));
  }
  return true;
}

}  // namespace

bool AppendPlaylist(const std::string& playlistPath, const std::vector<std::string>& files) {
  std::string text;
  mode_t mode = 0;
  if (!ReadExisting(playlistPath, text, mode)) return false;
  for (const std::string& file : files) text += PlaylistEntry(file) + '\n';
  StagedFile playlist = mode != 0 ? StagedFile::Create(playlistPath, mode) : StagedFile::Create(playlistPath);
  return playlist.IsOpen() && playlist.file().WriteAll(text.data(), text.size()) && playlist.Commit();
}

}  // namespace sonvarek
