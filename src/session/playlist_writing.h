#pragma once

#include <string>
#include <vector>

#include "platform/user_notice.h"

namespace sonvarek {

// "Create Playlist": appends `files` to the play list at `path` and tells the user
// text::kPlaylistCreated, or text::kPlaylistFailed as an error. Returns whether it was written.
bool WritePlaylist(const std::string& path, const std::vector<std::string>& files, UserNotice& notice);

}  // namespace sonvarek
