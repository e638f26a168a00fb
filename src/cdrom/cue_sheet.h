#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cd_units.h"

namespace sonvarek {

// The longest disc: its every position and its length stay within 99:59:74.
inline constexpr uint32_t kLongestDiscFrames = MsfToFrames(99, 59, 74);

enum class TrackMode { Audio, Mode1Raw, Mode2Raw };  // AUDIO, MODE1/2352, MODE2/2352

struct CueIndex {
  int number = 0;
  int file = 0;         // index into CueSheet::files
  uint32_t frames = 0;  // position in that file, in 2352-byte sectors
  int line = 0;
};

struct CueTrack {
  int number = 0;
  TrackMode mode = TrackMode::Audio;
  uint8_t control = 0;     // from FLAGS (and 0x04 for data tracks)
  uint32_t pregap = 0;     // PREGAP: silence not held in any file, before the track
  uint32_t postgap = 0;    // POSTGAP: silence after the track
  std::vector<CueIndex> indices;  // INDEX 00 (optional), 01, 02 … in order
  int line = 0;

  const CueIndex& Index01() const { return indices[indices[0].number == 0 ? 1 : 0]; }
};

enum class CueFileType { Binary, Wave, Mp3 };

struct CueFile {
  std::string path;  // resolved against the sheet's folder
  std::string name;  // as written
  CueFileType type = CueFileType::Binary;
  int line = 0;
};

// The FILE types a sheet may name: a disc image's are raw sectors (BINARY); a rip's
// sheet names its audio files (WAVE, MP3, or BINARY).
enum class CueFileTypes { Binary, Audio };

struct CueSheet {
  std::vector<CueFile> files;
  std::vector<CueTrack> tracks;
};

// Parses a CUE sheet of BINARY files (or, with CueFileTypes::Audio, of audio files too)
// with AUDIO, MODE1/2352 and MODE2/2352 tracks.
// FILE, TRACK, INDEX, PREGAP, POSTGAP and FLAGS are used; REM, CATALOG, TITLE,
// PERFORMER, SONGWRITER, ISRC and CDTEXTFILE are ignored. On any other content the
// result is nothing and `error` reads "<cuePath>:<line>: <what is wrong>". Checks made
// here: track numbers 1..99 rising by one, each track with an INDEX 01 as its first or
// second index, index positions never going back within a file, and no time taking
// the disc past kLongestDiscFrames (counting the gaps and, for each earlier file, at
// least its last index). File sizes are the disc image's to check.
std::optional<CueSheet> ParseCueSheet(std::string_view text, const std::string& cuePath, std::string& error,
                                      CueFileTypes types = CueFileTypes::Binary);

// "<cuePath>:<line>: <what>", the form of every error about a line of a CUE sheet.
std::string CueLineError(const std::string& cuePath, int line, const std::string& what);

}  // namespace sonvarek
