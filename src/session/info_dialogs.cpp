#include "session/info_dialogs.h"

#include <algorithm>
#include <iterator>

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

// The entry of `track`, or nothing for a number the record cannot hold.
TagSet* EntryOf(DiscRecord& disc, int track) {
  if (track < 1 || track >= kDiscEntries) return nullptr;
  return &disc.entries[static_cast<size_t>(track)];
}

// The ten texts Disc Info shares with the tracks, GenreName among them.
constexpr std::string TagSet::*kSharedDiscFields[] = {
    &TagSet::Artist,   &TagSet::Album,      &TagSet::Year,      &TagSet::Comment, &TagSet::GenreName,
    &TagSet::Composer, &TagSet::OrigArtist, &TagSet::Copyright, &TagSet::URL,     &TagSet::EncodedBy};

}  // namespace

std::optional<TrackInfoEditor> TrackInfoEditor::Open(DiscSession& session) {
  std::optional<size_t> row = session.tracks().Highlighted();
  if (!row || *row >= session.tracks().Rows().size()) return std::nullopt;
  return TrackInfoEditor(session, *row);
}

void TrackInfoEditor::Load(size_t row) {
  row_ = row;
  track_ = session_->tracks().Rows()[row].track;
  const TagSet* entry = EntryOf(session_->disc(), track_);
  if (entry == nullptr) {
    fields = {};
    return;
  }
  fields = {entry->Title,    entry->Artist,     entry->Album,     entry->Year, entry->GenreName, entry->Comment,
            entry->Composer, entry->OrigArtist, entry->Copyright, entry->URL,  entry->EncodedBy};
}

void TrackInfoEditor::Store() {
  TagSet* entry = EntryOf(session_->disc(), track_);
  if (entry == nullptr) return;
  entry->Artist = fields.artist;
  entry->Album = fields.album;
  entry->Year = fields.year;
  entry->GenreName = fields.genre;
  entry->Comment = fields.comment;
  entry->Composer = fields.composer;
  entry->OrigArtist = fields.origArtist;
  entry->Copyright = fields.copyright;
  entry->URL = fields.url;
  entry->EncodedBy = fields.encodedBy;
  // The row and the entry's Title together, so that a rip names the file as shown.
  session_->tracks().SetTitle(row_, fields.title, session_->disc());
}

bool TrackInfoEditor::MoveTo(size_t row) {
  Store();
  if (row >= session_->tracks().Rows().size()) return false;
  session_->tracks().Highlight(row);
  Load(row);
  return true;
}

bool TrackInfoEditor::Previous() {
  if (!PreviousEnabled()) {
    Store();
    return false;
  }
  return MoveTo(row_ - 1);
}

bool TrackInfoEditor::Next() { return MoveTo(row_ + 1); }

std::string TrackInfoEditor::Caption() const { return FormatText(text::kTrackInfoCaption, track_); }

const char* TrackInfoEditor::ToggleText() const {
  return expanded_ ? text::kTrackInfoLessButton : text::kTrackInfoMoreButton;
}

DiscInfoEditor::DiscInfoEditor(DiscSession& session) : session_(session) {
  const TagSet& disc = session.disc().entries[0];
  int position = -1;
  for (size_t i = 0; i < static_cast<size_t>(kGenreCount); ++i) {
    if (!disc.GenreName.empty() && GenreTable()[i] == disc.GenreName) position = static_cast<int>(i);
  }
  fields = {disc.Album,    disc.Artist,     disc.Year,      disc.GenreName, position, disc.Comment,
            disc.Composer, disc.OrigArtist, disc.Copyright, disc.URL,       disc.EncodedBy};
}

void DiscInfoEditor::Store() {
  TagSet& disc = session_.disc().entries[0];
  disc.Album = fields.album;
  disc.Artist = fields.artist;
  disc.Year = DigitsOnly(fields.year);
  disc.GenreName = fields.genre;
  bool listed = fields.genrePosition >= 0 && fields.genrePosition < kGenreCount &&
                GenreTable()[static_cast<size_t>(fields.genrePosition)] == fields.genre;
  disc.GenreIndex = listed ? fields.genrePosition : GenreIndexFromName(fields.genre);
  disc.Comment = fields.comment;
  disc.Composer = fields.composer;
  disc.OrigArtist = fields.origArtist;
  disc.Copyright = fields.copyright;
  disc.URL = fields.url;
  disc.EncodedBy = fields.encodedBy;
}

void DiscInfoEditor::CopyInfoToEachTrack() {
  Store();
  DiscRecord& record = session_.disc();
  for (int track = 1; track <= trackCount(); ++track) {
    TagSet* entry = EntryOf(record, track);
    if (entry == nullptr) break;
    for (std::string TagSet::*field : kSharedDiscFields) entry->*field = record.entries[0].*field;
  }
}

std::string DiscInfoEditor::VolumeText() const {
  return FormatText(text::kDiscInfoVolumeFormat, FormatText("%x", session_.disc().discId), trackCount());
}

int DiscInfoEditor::trackCount() const {
  return std::min(static_cast<int>(session_.tracks().Rows().size()), kDiscEntries - 1);
}

std::string DigitsOnly(std::string_view text) {
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c >= '0' && c <= '9'; });
  return digits;
}

}  // namespace sonvarek
