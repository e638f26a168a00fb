#include "jobs/playlist.h"

#include "platform/file.h"

namespace sonvarek {

bool AppendPlaylist(const std::string& playlistPath, const std::vector<std::string>& files) {
  std::string text;
  for (const std::string& file : files) text += file + '\n';
  File playlist = File::Open(playlistPath, File::Mode::Append);
  return playlist.IsOpen() && playlist.WriteAll(text.data(), text.size()) && playlist.Close();
}

}  // namespace sonvarek
