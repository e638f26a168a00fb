#pragma once

#include <cstdint>
#include <string_view>

namespace sonvarek {

// The main window's operations that a freedb read and a submission call to fill the
// disc record and the track list.
class DiscInfoTarget {
 public:
  virtual ~DiscInfoTarget() = default;
  virtual void SetRevision(bool hasRevision, int32_t revision) = 0;
  // The disc's Title and Album become `album`, its Artist `artist`, its GenreName
  // `genre`; every track gets the same Artist, Album and GenreName.
  virtual void SetDiscInfo(std::string_view artist, std::string_view album, std::string_view genre) = 0;
  // The disc's year, and every track's, when a reply carries one.
  virtual void SetDiscYear(std::string_view year) = 0;
  // The row whose track index (0-based) is `trackIndex` and its entry get the title;
  // nothing changes when there is no such row.
  virtual void SetTrackTitle(int trackIndex, std::string_view title) = 0;
};

}  // namespace sonvarek
