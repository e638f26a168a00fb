#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/disc_toc.h"
#include "core/profile_file.h"
#include "core/records.h"
#include "platform/user_notice.h"

namespace sonvarek {

// Every value of a disc file is read into a 254-byte buffer: at most 253 bytes return.
inline constexpr size_t kDiscCacheValueBuffer = 254;

// The local disc database: one profile file per disc, program folder + "db/" + the
// cache disc id in "%x" + ".db". It keeps what the user entered or fetched for a
// disc between runs; nothing is ever deleted from the folder.
std::string DiscCacheFolder(std::string_view programFolder);
std::string DiscCachePath(std::string_view programFolder, uint32_t cacheId);

// Creates the folder with its parents; false after telling "Cannot open directory %sdb.".
bool MakeDiscCacheFolder(std::string_view programFolder, UserNotice& notice);

// The revision, the [DISC] texts and, for each of the TOC's tracks, its texts and
// genre index into the record. A key the file lacks keeps the record's value; an
// untitled track gets "Track %d" with its number from the TOC. The entry count ends
// at 1 + the TOC's track count.
void ReadDiscCache(const ProfileFile& file, const DiscTOC& lbaToc, DiscRecord& disc);

// The texts of the tracks `trackIndexes` (0-based, in list order) section by section,
// then the [DISC] keys. Keys of tracks not listed stay in the file as they are.
void WriteDiscCache(ProfileFile& file, const DiscRecord& disc, std::span<const int> trackIndexes);

// Fills in the record from cdplayer.ini before the disc file is read; its values stay
// where the file has none.
using DiscPreload = std::function<void(DiscRecord& disc)>;

// The disc's file into the record: the folder is made (false, the record untouched,
// when it cannot be), the disc entry becomes "All Tracks" with no tracks, `preload`
// runs, then the file is read. A missing or unreadable file leaves the defaults.
bool LoadDiscCache(std::string_view programFolder, const DiscTOC& lbaToc, DiscRecord& disc, UserNotice& notice,
                   const DiscPreload& preload = {});

// Writes the record's texts into the disc's file, whole or not at all (staged beside
// it, flushed, renamed over it). A failure is told and gives false; the old file,
// if any, is then untouched.
bool SaveDiscCache(std::string_view programFolder, const DiscTOC& lbaToc, const DiscRecord& disc,
                   std::span<const int> trackIndexes, UserNotice& notice);

}  // namespace sonvarek
