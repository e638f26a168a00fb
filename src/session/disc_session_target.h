#pragma once

#include "freedb/disc_info_target.h"
#include "session/disc_session.h"

namespace sonvarek {

// The disc session as the freedb dialogs fill it: the record and the track list
// together, track indexes counted from 0.
class DiscSessionTarget final : public DiscInfoTarget {
 public:
  explicit DiscSessionTarget(DiscSession& session) : session_(session) {}

  void SetRevision(bool hasRevision, int32_t revision) override;
  void SetDiscInfo(std::string_view artist, std::string_view album, std::string_view genre) override;
  void SetDiscYear(std::string_view year) override;
  void SetTrackTitle(int trackIndex, std::string_view title) override;

 private:
  DiscSession& session_;
};

}  // namespace sonvarek
