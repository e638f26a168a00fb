#pragma once

#include <string>
#include <vector>

namespace sonvarek {

// Writes an M3U play list: each file's full path and a line feed (no carriage
// return, no header). An existing file gets the new lines after its old ones. A
// path with a control character in it is written as an escaped file:// URL, so
// that it stays one line. The new list replaces the old one whole or not at all.
// False when the file could not be written (the old list is then unchanged).
bool AppendPlaylist(const std::string& playlistPath, const std::vector<std::string>& files);

}  // namespace sonvarek
