#include "session/playlist_writing.h"

#include "core/string_table.h"
#include "jobs/playlist.h"

namespace sonvarek {

bool WritePlaylist(const std::string& path, const std::vector<std::string>& files, UserNotice& notice) {
  bool written = AppendPlaylist(path, files);
  notice.Show(written ? text::kPlaylistCreated : text::kPlaylistFailed,
              written ? NoticeKind::Information : NoticeKind::Error);
  return written;
}

}  // namespace sonvarek
