#pragma once

#include <string>
#include <vector>

namespace sonvarek {

// Writes an M3U play list: each file's full path and a line feed (no carriage
// return, no header). An existing file gets the new lines after its old ones.
// False when the file could not be written.
bool AppendPlaylist(const std::string& playlistPath, const std::vector<std::string>& files);

}  // namespace sonvarek
