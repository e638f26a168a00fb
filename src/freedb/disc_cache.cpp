#include "freedb/disc_cache.h"

#include <array>
#include <filesystem>

#include "core/string_table.h"
#include "core/text_format.h"
#include "freedb/disc_id.h"
#include "platform/folders.h"

namespace sonvarek {
namespace {

constexpr char kDiscSection[] = "DISC";

struct TextKey {
  const char* name;
  std::string TagSet::*field;
};

// [DISC]: written under `written`, read under `read` (GENRENAME is read as GenreName;
// names compare without case, so both are one key).
struct DiscKey {
  const char* written;
  const char* read;
  std::string TagSet::*field;
};

constexpr std::array<DiscKey, 11> kDiscKeys = {{
    {"Artist", "Artist", &TagSet::Artist},
    {"Album", "Album", &TagSet::Album},
    {"year", "Year", &TagSet::Year},
    {"GenreID", "GenreID", &TagSet::GenreId},
    {"Comment", "Comment", &TagSet::Comment},
    {"COMPOSER", "COMPOSER", &TagSet::Composer},
    {"COPYRIGHT", "COPYRIGHT", &TagSet::Copyright},
    {"ENCODEDBY", "ENCODEDBY", &TagSet::EncodedBy},
    {"ORIGARTIST", "ORIGARTIST", &TagSet::OrigArtist},
    {"URL", "URL", &TagSet::URL},
    {"GENRENAME", "GenreName", &TagSet::GenreName},
}};

// The track sections after TRACKS (the title), in the order written; GENRE (the
// genre index) is written between YEAR and COMMENT.
constexpr std::array<TextKey, 3> kTrackTextsBeforeGenre = {{
    {"ARTIST", &TagSet::Artist},
    {"ALBUM", &TagSet::Album},
    {"YEAR", &TagSet::Year},
}};
constexpr std::array<TextKey, 8> kTrackTextsAfterGenre = {{
    {"COMMENT", &TagSet::Comment},
    {"COMPOSER", &TagSet::Composer},
    {"COPYRIGHT", &TagSet::Copyright},
    {"ENCODEDBY", &TagSet::EncodedBy},
    {"ORIGARTIST", &TagSet::OrigArtist},
    {"URL", &TagSet::URL},
    {"GENREID", &TagSet::GenreId},
    {"GENRENAME", &TagSet::GenreName},
}};
constexpr char kTitleSection[] = "TRACKS";
constexpr char kGenreSection[] = "GENRE";

std::string TrackKey(int trackIndex) { return FormatText("%02d", trackIndex + 1); }

std::string ReadValue(const ProfileFile& file, const char* section, std::string_view key, const std::string& current) {
  return file.GetString(section, key, current, kDiscCacheValueBuffer);
}

void ReadTrack(const ProfileFile& file, int k, int number, TagSet& tags) {
  std::string key = TrackKey(k);
  std::string title = tags.Title.empty() ? FormatText(text::kTrackTitleFormat, number) : tags.Title;
  tags.Title = ReadValue(file, kTitleSection, key, title);
  for (const TextKey& text : kTrackTextsBeforeGenre) tags.*text.field = ReadValue(file, text.name, key, tags.*text.field);
  for (const TextKey& text : kTrackTextsAfterGenre) tags.*text.field = ReadValue(file, text.name, key, tags.*text.field);
  tags.GenreIndex = file.GetInt(kGenreSection, key, 0);
}

void WriteTrack(ProfileFile& file, int trackIndex, const TagSet& tags) {
  std::string key = TrackKey(trackIndex);
  file.SetString(kTitleSection, key, tags.Title);
  for (const TextKey& text : kTrackTextsBeforeGenre) file.SetString(text.name, key, tags.*text.field);
  file.SetInt(kGenreSection, key, tags.GenreIndex);
  for (const TextKey& text : kTrackTextsAfterGenre) file.SetString(text.name, key, tags.*text.field);
}

}  // namespace

std::string DiscCacheFolder(std::string_view programFolder) { return std::string(programFolder) + "db/"; }

std::string DiscCachePath(std::string_view programFolder, uint32_t cacheId) {
  return DiscCacheFolder(programFolder) + HexId(cacheId) + ".db";
}

bool MakeDiscCacheFolder(std::string_view programFolder, UserNotice& notice) {
  if (MakeSureDirectoryPathExists(DiscCacheFolder(programFolder))) return true;
  notice.Show(FormatText(text::kCannotOpenDbDirectory, std::string(programFolder)), NoticeKind::Error);
  return false;
}

void ReadDiscCache(const ProfileFile& file, const DiscTOC& lbaToc, DiscRecord& disc) {
  disc.revision = file.GetInt(kDiscSection, "Revision", 0);
  disc.hasRevision = file.GetInt(kDiscSection, "bRevision", 0) != 0;
  TagSet& discTags = disc.entries[0];
  for (const DiscKey& key : kDiscKeys) discTags.*key.field = ReadValue(file, kDiscSection, key.read, discTags.*key.field);
  int count = lbaToc.TrackCount();
  disc.entryCount = 1;
  for (int k = 0; k < count; ++k) {
    ReadTrack(file, k, lbaToc.Descriptor(k).trackNumber, disc.entries[static_cast<size_t>(k) + 1]);
    ++disc.entryCount;
  }
}

void WriteDiscCache(ProfileFile& file, const DiscRecord& disc, std::span<const int> trackIndexes) {
  for (int trackIndex : trackIndexes) {
    if (trackIndex < 0 || trackIndex + 1 >= kDiscEntries) continue;
    WriteTrack(file, trackIndex, disc.entries[static_cast<size_t>(trackIndex) + 1]);
  }
  file.SetInt(kDiscSection, "Revision", disc.revision);
  file.SetInt(kDiscSection, "bRevision", disc.hasRevision ? 1 : 0);
  const TagSet& discTags = disc.entries[0];
  for (const DiscKey& key : kDiscKeys) file.SetString(kDiscSection, key.written, discTags.*key.field);
}

bool LoadDiscCache(std::string_view programFolder, const DiscTOC& lbaToc, DiscRecord& disc, UserNotice& notice,
                   const DiscPreload& preload) {
  uint32_t id = ComputeCacheDiscId(lbaToc);
  if (!MakeDiscCacheFolder(programFolder, notice)) return false;
  disc.entries[0].Title = text::kAllTracks;
  disc.entryCount = 1;
  if (preload) preload(disc);
  ReadDiscCache(ProfileFile::Load(DiscCachePath(programFolder, id)), lbaToc, disc);
  return true;
}

bool SaveDiscCache(std::string_view programFolder, const DiscTOC& lbaToc, const DiscRecord& disc,
                   std::span<const int> trackIndexes, UserNotice& notice) {
  uint32_t id = ComputeCacheDiscId(lbaToc);
  if (!MakeDiscCacheFolder(programFolder, notice)) return false;
  std::string path = DiscCachePath(programFolder, id);
  ProfileFile file;
  if (!LoadForUpdate(path, file)) {
    notice.Show(FormatText(text::kDiscCacheUnreadable, path), NoticeKind::Error);
    return false;
  }
  WriteDiscCache(file, disc, trackIndexes);
  std::string error;
  if (file.Save(path, &error)) return true;
  notice.Show(FormatText(text::kDiscCacheNotSaved, path, error), NoticeKind::Error);
  return false;
}

}  // namespace sonvarek
