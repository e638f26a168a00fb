#include "core/records.h"

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

// ID3v1 genres as extended to 126 names; the spellings are the table's own.
constexpr std::array<std::string_view, kGenreCount + 1> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock",
    "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde",
    "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony",
    "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House",
    "Dance Hall", "",
};

}  // namespace

std::span<const std::string_view> GenreTable() { return kGenres; }

int32_t GenreIndexFromName(std::string_view name) {
  for (int32_t index = 0; !kGenres[index].empty(); ++index) {
    if (kGenres[index] == name) return index;
  }
  return kGenreOther;
}

void ClearDiscRecord(DiscRecord& disc) {
  for (TagSet& entry : disc.entries) entry = TagSet();
  for (TrackSpan& track : disc.tracks) track = TrackSpan();
  disc.entryCount = 1;
  disc.entries[0].Title = text::kAllTracks;
}

void TitleUntitledTracks(DiscRecord& disc) {
  for (int track = 1; track < disc.entryCount && track < kDiscEntries; ++track) {
    if (disc.entries[track].Title.empty()) disc.entries[track].Title = FormatText(text::kTrackTitleFormat, track);
  }
}

void SetDiscInfo(DiscRecord& disc, std::string_view artist, std::string_view album, std::string_view genre) {
  TagSet& whole = disc.entries[0];
  whole.Title = album;
  whole.Album = album;
  whole.Artist = artist;
  whole.GenreName = genre;
  for (int track = 1; track < disc.entryCount && track < kDiscEntries; ++track) {
    disc.entries[track].Artist = artist;
    disc.entries[track].Album = album;
    disc.entries[track].GenreName = genre;
  }
}

void SetRevision(DiscRecord& disc, bool hasRevision, int32_t revision) {
  disc.hasRevision = hasRevision;
  disc.revision = revision;
}

ConversionJob MakeTrackJob(const DiscRecord& disc, int track, std::string_view shownTitle) {
  ConversionJob job;
  job.startSector = disc.tracks[track].startSector;
  job.endSector = disc.tracks[track].endSector;
  job.sourceName = shownTitle;
  job.trackIndex = track - 1;
  job.tags = disc.entries[track];
  return job;
}

ConversionJob MakeFileJob(std::string_view path) {
  ConversionJob job;
  job.sourceName = path;
  return job;
}

std::string TrackLengthText(uint32_t startSector, uint32_t endSector) {
  uint32_t seconds = (endSector - startSector) / 75;
  return FormatText(text::kTrackLengthFormat, static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
}

std::string TrackSizeText(uint32_t startSector, uint32_t endSector) {
  double megabytes = static_cast<double>(endSector - startSector) * 2352.0 / 1048576.0;
  return FormatText(text::kTrackSizeFormat, megabytes);
}

}  // namespace sonvarek
