#pragma once

#include "cdrom/cd_player.h"
#include "session/disc_session.h"

namespace sonvarek {

// The disc session's track list as the player walks it.
class TrackListRows final : public PlayerRows {
 public:
  explicit TrackListRows(DiscSession& session) : session_(session) {}

  size_t RowCount() const override { return session_.tracks().Rows().size(); }
  bool IsChecked(size_t row) const override { return session_.tracks().Rows().at(row).checked; }
  int TrackIndex(size_t row) const override { return session_.tracks().Rows().at(row).track - 1; }
  std::optional<size_t> Highlighted() const override { return session_.tracks().Highlighted(); }
  std::string Title(int trackIndex) const override {
    if (trackIndex < 0 || trackIndex + 1 >= kDiscEntries) return {};
    return session_.disc().entries[static_cast<size_t>(trackIndex) + 1].Title;
  }

 private:
  DiscSession& session_;
};

}  // namespace sonvarek
