#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "session/disc_session.h"

namespace sonvarek {

// The Track Information dialog's eleven fields as its controls show them.
struct TrackInfoFields {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string genre;  // the genre box: a name of the list or free text
  std::string comment;
  std::string composer;
  std::string origArtist;
  std::string copyright;
  std::string url;
  std::string encodedBy;

  bool operator==(const TrackInfoFields&) const = default;
};

// Track Information without its window, over the session's record and track list.
//
// The dialog edits the track that the highlighted row names (its TrackRow::track),
// not the entry at the row's position: once rows were moved the two differ, and the
// user means the track whose title the row shows. The caption numbers that track.
class TrackInfoEditor {
 public:
  // Nothing when no row is highlighted (the caller shows text::kHighlightTrackItem).
  static std::optional<TrackInfoEditor> Open(DiscSession& session);

  // OK, and the first half of Previous and Next: the eleven texts into the track's
  // entry (GenreId and GenreIndex untouched) and the title into the row as well.
  void Store();
  // Store, then the highlight moves one row up or down and that row's track is
  // loaded. False, after storing, when there is no row to move to.
  bool Previous();
  bool Next();

  bool PreviousEnabled() const { return row_ > 0; }
  bool NextEnabled() const { return row_ + 1 < session_->tracks().Rows().size(); }
  // "Track Information [#%02d]"
  std::string Caption() const;
  int track() const { return track_; }
  size_t row() const { return row_; }

  // "&More >>" / "<< &Less": the extended part (composer and below) shown or not.
  void ToggleExpanded() { expanded_ = !expanded_; }
  bool expanded() const { return expanded_; }
  const char* ToggleText() const;

  TrackInfoFields fields;

 private:
  TrackInfoEditor(DiscSession& session, size_t row) : session_(&session) { Load(row); }
  void Load(size_t row);
  bool MoveTo(size_t row);

  DiscSession* session_;
  size_t row_ = 0;
  int track_ = 0;
  bool expanded_ = false;
};

// The Disc Info dialog's fields; the disc entry's Title is not among them.
struct DiscInfoFields {
  std::string album;
  std::string artist;
  std::string year;   // digits only: anything else is dropped when stored
  std::string genre;  // the genre box's text
  int genrePosition = -1;  // the genre list's selected position, −1 for typed text
  std::string comment;
  std::string composer;
  std::string origArtist;
  std::string copyright;
  std::string url;
  std::string encodedBy;
};

// Disc Info without its window, over the session's record: the disc entry's texts
// and the track count of the list.
class DiscInfoEditor {
 public:
  explicit DiscInfoEditor(DiscSession& session);

  // OK: the fields into the disc entry. GenreIndex is the selected list position
  // when it shows the typed name, else the genre table's index of the name (12,
  // "Other", for free text).
  void Store();
  // "Copy info to each track": Store, then the disc entry's Artist, Album, Year,
  // Comment, GenreName, Composer, OrigArtist, Copyright, URL and EncodedBy into every
  // track entry 1..track count. Titles, GenreId and GenreIndex of the tracks stay.
  void CopyInfoToEachTrack();

  // "Disc Volume ID: %s\nTotal Tracks:  %d", the disc id in hexadecimal as the local
  // disc database names its file.
  std::string VolumeText() const;
  int trackCount() const;

  DiscInfoFields fields;

 private:
  DiscSession& session_;
};

// `text` with every character but the ASCII digits left out.
std::string DigitsOnly(std::string_view text);

}  // namespace sonvarek
