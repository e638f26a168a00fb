#include "session/track_list.h"

#include <algorithm>

namespace sonvarek {
namespace {

enum class LetterCase { Upper, Lower };

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes of the UTF-8 character starting at `at`; a malformed sequence counts
// as single bytes, so that it is copied and never split differently.
size_t CharLength(std::string_view text, size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
  if (at + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) return 1;
  }
  return length;
}

template <typename Visit>
void ForEachChar(std::string_view text, Visit visit) {
  for (size_t at = 0; at < text.size();) {
    size_t length = CharLength(text, at);
    visit(text.substr(at, length));
    at += length;
  }
}

char AsciiRecased(char c, LetterCase to) {
  if (to == LetterCase::Upper && c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (to == LetterCase::Lower && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

// The second byte of U+00C0..U+00FE after 0xC3. × (0x97) and ÷ (0xB7) are no letters;
// ß (0x9F) and ÿ (0xBF) have no partner within the range and stay as they are.
unsigned char Latin1Recased(unsigned char second, LetterCase to) {
  bool upper = second >= 0x80 && second <= 0x9E && second != 0x97;
  bool lower = second >= 0xA0 && second <= 0xBE && second != 0xB7;
  if (to == LetterCase::Upper && lower) return static_cast<unsigned char>(second - 0x20);
  if (to == LetterCase::Lower && upper) return static_cast<unsigned char>(second + 0x20);
  return second;
}

void AppendRecased(std::string& out, std::string_view character, LetterCase to) {
  if (character.size() == 1) {
    out += AsciiRecased(character[0], to);
  } else if (character.size() == 2 && static_cast<unsigned char>(character[0]) == 0xC3) {
    out += character[0];
    out += static_cast<char>(Latin1Recased(static_cast<unsigned char>(character[1]), to));
  } else {
    out += character;
  }
}

std::string Recased(std::string_view text, LetterCase to) {
  std::string out;
  out.reserve(text.size());
  ForEachChar(text, [&](std::string_view character) { AppendRecased(out, character, to); });
  return out;
}

bool StartsWord(std::string_view character) {
  return character.size() == 1 && std::string_view(" ([{<").find(character[0]) != std::string_view::npos;
}

// Entry n of the record is track n; a track number outside the record names no entry.
TagSet* EntryOf(DiscRecord& disc, int track) {
  return track >= 1 && track < kDiscEntries ? &disc.entries[track] : nullptr;
}

}  // namespace

std::string UpperCaseText(std::string_view text) { return Recased(text, LetterCase::Upper); }

std::string LowerCaseText(std::string_view text) { return Recased(text, LetterCase::Lower); }

std::string CapitalizedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool wordStart = true;
  ForEachChar(text, [&](std::string_view character) {
    AppendRecased(out, character, wordStart ? LetterCase::Upper : LetterCase::Lower);
    wordStart = StartsWord(character);
  });
  return out;
}

TrackList TrackList::FromDisc(const DiscRecord& disc, const DiscReading& reading, bool autoSelectAll) {
  TrackList list;
  list.rows_.reserve(reading.tracks.size());
  for (size_t i = 0; i < reading.tracks.size() && i + 1 < kDiscEntries; ++i) {
    const TocTrack& track = reading.tracks[i];
    TrackRow row;
    row.track = static_cast<int>(i) + 1;
    row.title = disc.entries[i + 1].Title;
    row.lengthText = TrackLengthText(track.startSector, track.endSector);
    row.sizeText = TrackSizeText(track.startSector, track.endSector);
    row.isData = track.isData;
    row.checked = autoSelectAll && !track.isData;
    list.rows_.push_back(std::move(row));
  }
  return list;
}

void TrackList::RetitleFrom(const DiscRecord& disc) {
  for (TrackRow& row : rows_) {
    if (row.track >= 1 && row.track < kDiscEntries) row.title = disc.entries[static_cast<size_t>(row.track)].Title;
  }
}

void TrackList::SelectAll() {
  for (TrackRow& row : rows_) row.checked = !row.isData;
}

void TrackList::SelectNone() {
  for (TrackRow& row : rows_) row.checked = false;
}

void TrackList::InvertSelection() {
  for (TrackRow& row : rows_) row.checked = !row.checked && !row.isData;
}

bool TrackList::SetChecked(size_t row, bool checked) {
  if (row >= rows_.size() || rows_[row].isData) return false;
  rows_[row].checked = checked;
  return true;
}

void TrackList::RecaseTitles(DiscRecord& disc, std::string (*recase)(std::string_view)) {
  for (TrackRow& row : rows_) {
    row.title = recase(row.title);
    if (TagSet* entry = EntryOf(disc, row.track)) entry->Title = row.title;
  }
}

void TrackList::UpperCase(DiscRecord& disc) { RecaseTitles(disc, UpperCaseText); }

void TrackList::LowerCase(DiscRecord& disc) { RecaseTitles(disc, LowerCaseText); }

void TrackList::Capitalize(DiscRecord& disc) { RecaseTitles(disc, CapitalizedText); }

bool TrackList::SetTitle(size_t row, std::string_view title, DiscRecord& disc) {
  if (row >= rows_.size()) return false;
  rows_[row].title = title;
  if (TagSet* entry = EntryOf(disc, rows_[row].track)) entry->Title = title;
  return true;
}

void TrackList::Highlight(std::optional<size_t> row) {
  highlighted_ = row && *row < rows_.size() ? row : std::nullopt;
}

TrackListResult TrackList::MoveFirst() {
  if (!highlighted_) return TrackListResult::NeedsHighlight;
  return MoveHighlighted(0);
}

TrackListResult TrackList::MoveUp() {
  if (!highlighted_) return TrackListResult::NeedsHighlight;
  return *highlighted_ == 0 ? TrackListResult::Unchanged : MoveHighlighted(*highlighted_ - 1);
}

TrackListResult TrackList::MoveDown() {
  if (!highlighted_) return TrackListResult::NeedsHighlight;
  return *highlighted_ + 1 >= rows_.size() ? TrackListResult::Unchanged : MoveHighlighted(*highlighted_ + 1);
}

TrackListResult TrackList::MoveLast() {
  if (!highlighted_) return TrackListResult::NeedsHighlight;
  return MoveHighlighted(rows_.size() - 1);
}

// The rows between the two places shift by one to make room; the highlight goes along.
TrackListResult TrackList::MoveHighlighted(size_t target) {
  size_t from = *highlighted_;
  if (from == target) return TrackListResult::Unchanged;
  auto at = [this](size_t index) { return rows_.begin() + static_cast<std::ptrdiff_t>(index); };
  if (from < target) {
    std::rotate(at(from), at(from + 1), at(target + 1));
  } else {
    std::rotate(at(target), at(from), at(from + 1));
  }
  highlighted_ = target;
  return TrackListResult::Done;
}

std::string TrackList::ClipboardText() const {
  std::string text;
  for (const TrackRow& row : rows_) text += row.title + "\t\t" + row.lengthText + "\r\n";
  return text;
}

std::vector<int> TrackList::CheckedTracks() const {
  std::vector<int> tracks;
  for (const TrackRow& row : rows_) {
    if (row.checked) tracks.push_back(row.track);
  }
  return tracks;
}

}  // namespace sonvarek
