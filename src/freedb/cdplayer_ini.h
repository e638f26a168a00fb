#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/profile_file.h"
#include "core/records.h"

namespace sonvarek {

// Values of cdplayer.ini are read into 255-byte buffers: at most 254 bytes return.
inline constexpr size_t kCdPlayerValueBuffer = 255;

// The CD player's shared title file, cdplayer.ini in the program folder: one section
// per disc, named by its volume id in "%x", track titles keyed from "0".
std::string CdPlayerIniPath(std::string_view programFolder);

// The disc's artist, album and year and the titles of its first `trackCount` tracks
// from the disc's section. Only non-empty values are taken: an import never clears
// a field, and a disc without a section changes nothing. Returns whether any field
// changed.
bool ImportCdPlayerIni(const ProfileFile& file, uint32_t volumeId, int trackCount, DiscRecord& disc);

// Writes the disc's section: EntryType, Artist, Title (the album), NumTracks, one
// title per track from "0", numplay and Year, in that order. Other keys of the
// section stay as they are.
void ExportCdPlayerIni(ProfileFile& file, uint32_t volumeId, const DiscRecord& disc, int trackCount);

}  // namespace sonvarek
