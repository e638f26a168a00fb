#include "freedb/cdplayer_ini.h"

#include <algorithm>

#include "freedb/disc_id.h"

namespace sonvarek {
namespace {

bool TakeValue(const ProfileFile& file, const std::string& section, const std::string& key, std::string& field) {
  std::string value = file.GetString(section, key, "", kCdPlayerValueBuffer);
  if (value.empty() || value == field) return false;
  field = std::move(value);
  return true;
}

int EntriesOf(int trackCount) { return trackCount < 0 ? 0 : std::min(trackCount, kDiscEntries - 1); }

}  // namespace

std::string CdPlayerIniPath(std::string_view programFolder) { return std::string(programFolder) + "cdplayer.ini"; }

bool ImportCdPlayerIni(const ProfileFile& file, uint32_t volumeId, int trackCount, DiscRecord& disc) {
  std::string section = HexId(volumeId);
  TagSet& discTags = disc.entries[0];
  bool changed = TakeValue(file, section, "Artist", discTags.Artist);
  changed |= TakeValue(file, section, "Title", discTags.Album);
  changed |= TakeValue(file, section, "Year", discTags.Year);
  for (int i = 0; i < EntriesOf(trackCount); ++i) {
    changed |= TakeValue(file, section, std::to_string(i), disc.entries[static_cast<size_t>(i) + 1].Title);
  }
  return changed;
}

void ExportCdPlayerIni(ProfileFile& file, uint32_t volumeId, const DiscRecord& disc, int trackCount) {
  std::string section = HexId(volumeId);
  const TagSet& discTags = disc.entries[0];
  int count = EntriesOf(trackCount);
  file.SetString(section, "EntryType", "1");
  file.SetString(section, "Artist", discTags.Artist);
  file.SetString(section, "Title", discTags.Album);
  file.SetInt(section, "NumTracks", count);
  for (int i = 0; i < count; ++i) {
    file.SetString(section, std::to_string(i), disc.entries[static_cast<size_t>(i) + 1].Title);
  }
  file.SetInt(section, "numplay", count);
  file.SetString(section, "Year", discTags.Year);
}

}  // namespace sonvarek
