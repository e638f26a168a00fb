#include "session/disc_session_target.h"

namespace sonvarek {

void DiscSessionTarget::SetRevision(bool hasRevision, int32_t revision) {
  sonvarek::SetRevision(session_.disc(), hasRevision, revision);
}

void DiscSessionTarget::SetDiscInfo(std::string_view artist, std::string_view album, std::string_view genre) {
  sonvarek::SetDiscInfo(session_.disc(), artist, album, genre);
}

void DiscSessionTarget::SetDiscYear(std::string_view year) { session_.SetDiscField(&TagSet::Year, year); }

void DiscSessionTarget::SetTrackTitle(int trackIndex, std::string_view title) {
  session_.SetTrackTitle(trackIndex + 1, title);
}

}  // namespace sonvarek
