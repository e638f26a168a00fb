#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdrom/disc_reader.h"
#include "core/records.h"

namespace sonvarek {

// One row of the main window's track list.
struct TrackRow {
  // The track the row names, wherever the row moves: its place in the table of
  // contents + 1, which is its entry in the record and its number on every disc
  // whose first track is 1.
  int track = 0;
  std::string title;       // column 1; kept equal to the record's entry Title
  std::string lengthText;  // column 2, "mm:ss"
  std::string sizeText;    // column 3, MB of WAV data
  bool checked = false;
  bool isData = false;     // a data track: listed, but never checked and never ripped

  bool operator==(const TrackRow&) const = default;
};

// What a command did. NeedsHighlight: nothing changed and the caller shows
// text::kHighlightTrackItem. Unchanged: the command had nothing to do (a move past an end).
enum class TrackListResult { Done, Unchanged, NeedsHighlight };

// The track list of the disc read, without its view: the rows in list order, their
// check boxes and the highlighted row. The main window renders it and forwards the
// user's actions; the command line builds its rip from it too.
class TrackList {
 public:
  TrackList() = default;

  // One row per track of `reading`, in its order, titled from its entry of `disc`. Every audio row is checked when `autoSelectAll`, else none; none highlighted.
  static TrackList FromDisc(const DiscRecord& disc, const DiscReading& reading, bool autoSelectAll);

  const std::vector<TrackRow>& Rows() const { return rows_; }

  // Select All checks, Select None clears every audio row; Invert Selection flips
  // every audio row. Data rows stay unchecked.
  void SelectAll();
  void SelectNone();
  void InvertSelection();
  // The user's click on one check box; false (and no change) for a data row or a
  // row past the end.
  bool SetChecked(size_t row, bool checked);

  // Upper Case, Lower Case and Capitalize: every row's title is recased and the
  // record's entry Title of the row's track becomes the same text.
  void UpperCase(DiscRecord& disc);
  void LowerCase(DiscRecord& disc);
  void Capitalize(DiscRecord& disc);
  // An edited title: the row's title and the record's entry Title both become `title`;
  // false (and no change) for a row past the end.
  bool SetTitle(size_t row, std::string_view title, DiscRecord& disc);

  // Every row shows the Title of its track's entry again (after an import).
  void RetitleFrom(const DiscRecord& disc);

  // Highlights `row`; std::nullopt or a row past the end leaves no row highlighted.
  void Highlight(std::optional<size_t> row);
  std::optional<size_t> Highlighted() const { return highlighted_; }

  // Move First / Up / Down / Last: the highlighted row (texts, track and check box)
  // moves to the first place, one up, one down or to the last place, and stays
  // highlighted. Unchanged when it is already first (First, Up) or last (Down, Last);
  // NeedsHighlight, and no change, with no row highlighted. The record is untouched.
  TrackListResult MoveFirst();
  TrackListResult MoveUp();
  TrackListResult MoveDown();
  TrackListResult MoveLast();

  // Copy to Clipboard: per row in list order, title + "\t\t" + length + "\r\n". The
  // caller puts it on the clipboard and shows text::kTocCopiedToClipboard.
  std::string ClipboardText() const;

  // The track numbers of the checked rows in list order: what a rip batch is made of.
  std::vector<int> CheckedTracks() const;

 private:
  TrackListResult MoveHighlighted(size_t target);
  void RecaseTitles(DiscRecord& disc, std::string (*recase)(std::string_view));

  std::vector<TrackRow> rows_;
  std::optional<size_t> highlighted_;
};

// The title case mappings behind the commands. ASCII letters and the Latin-1 letters
// (À..Þ / à..þ, as two-byte UTF-8) are mapped; every other character, other multi-byte
// ones included, is copied unchanged, so valid UTF-8 stays valid.
std::string UpperCaseText(std::string_view text);
std::string LowerCaseText(std::string_view text);
// Lower case, then upper case for the first character and for every character after
// a blank, "(", "[", "{" or "<": "the (long) road [live]" -> "The (Long) Road [Live]".
std::string CapitalizedText(std::string_view text);

}  // namespace sonvarek
