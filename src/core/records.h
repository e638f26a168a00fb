#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonvarek {

// The thirteen text fields of the disc (entry 0) or of one track, in this order.
// Texts are UTF-8; an empty text means "not known".
struct TagSet {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Comment;
  std::string GenreId;    // the freedb category or genre id text
  std::string GenreName;  // as shown to the user
  int32_t GenreIndex = 0; // index into GenreTable(), the ID3v1 genre byte
  std::string Composer;
  std::string OrigArtist;
  std::string Copyright;
  std::string URL;
  std::string EncodedBy;

  bool operator==(const TagSet&) const = default;
};

// Start and end sector of a track; the end is exclusive.
struct TrackSpan {
  uint32_t startSector = 0;
  uint32_t endSector = 0;
};

inline constexpr int kDiscEntries = 100;

// The one disc in memory: entry 0 is the disc, entry n (1..99) is track n.
struct DiscRecord {
  int32_t entryCount = 1;     // 1 + number of tracks
  bool hasRevision = false;   // the information came with a freedb revision number
  int32_t revision = 0;
  std::array<TagSet, kDiscEntries> entries;
  std::array<TrackSpan, kDiscEntries> tracks;  // tracks[n] for track n; tracks[0] unused
  uint32_t discId = 0;

  int TrackCount() const { return entryCount - 1; }
};

// One unit of work for the worker: a CD track to rip or a file to convert. A job is
// a copy: editing the disc while a batch runs changes no running job.
struct ConversionJob {
  uint32_t startSector = 0;
  uint32_t endSector = 0;   // exclusive
  std::string sourceName;   // CD: the title as shown in the track list; file: its full path
  std::string outputPath;   // set by the worker
  std::string outputFolder; // set by the worker: the effective output folder used
  uint32_t startTicks = 0;  // set by the worker: ms tick count when extraction began
  int32_t trackIndex = -1;  // track number − 1; −1 for a file job
  TagSet tags;              // CD: copy of the track's entry; file: empty
};

// The ID3v1 genre names, indices 0..125, followed by one empty name that ends the table.
std::span<const std::string_view> GenreTable();
inline constexpr int kGenreCount = 126;
inline constexpr int kGenreOther = 12;

// The first index whose name equals `name` exactly (case-sensitive); 12 ("Other")
// when there is none. The empty name is never matched against the terminator.
int32_t GenreIndexFromName(std::string_view name);

// Empties every text of all 100 entries and every track span, sets every GenreIndex
// to 0, the entry count to 1 and entry 0's Title to "All Tracks": the state of a
// disc record before a table of contents is read into it.
void ClearDiscRecord(DiscRecord& disc);

// Titles "Track %d" every track whose Title is still empty after a look-up.
void TitleUntitledTracks(DiscRecord& disc);

// Entry 0's Title and Album become `album`, its Artist `artist`, its GenreName
// `genre`; every track entry gets the same Artist, Album and GenreName.
void SetDiscInfo(DiscRecord& disc, std::string_view artist, std::string_view album, std::string_view genre);

void SetRevision(DiscRecord& disc, bool hasRevision, int32_t revision);

// The job for track n (1..TrackCount()): its sectors, the given shown title,
// trackIndex n − 1 and a copy of entry n's tags.
ConversionJob MakeTrackJob(const DiscRecord& disc, int track, std::string_view shownTitle);

// The job for one file of a file batch: no sectors, trackIndex −1, empty tags.
ConversionJob MakeFileJob(std::string_view path);

// The track list's "Length" ("%02d:%02d" of the whole seconds) and "Size"
// ("%0.2f" megabytes of WAV data) texts for a sector range.
std::string TrackLengthText(uint32_t startSector, uint32_t endSector);
std::string TrackSizeText(uint32_t startSector, uint32_t endSector);

}  // namespace sonvarek
