#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvarek {

// How one track of a rip ended.
enum class TrackRipResult {
  NotDone,     // never started (the batch stopped before it)
  Ok,          // every sector read well
  Suspicious,  // test and copy: some sectors never read the same twice
  Skipped,     // skip-on-error replaced unreadable sectors with silence
  Failed,      // the track's job failed
  Cancelled,   // the user cancelled during this track
};

// What a rip learned about one track, filled as it is extracted and encoded.
struct RipTrackReport {
  int number = 0;              // track number on the disc
  std::string title;           // as the track list shows it
  std::string performer;       // the track's artist when it has one of its own
  std::string outputPath;      // the final file, empty until it exists
  uint32_t startSector = 0;    // as ripped (after trimming), end exclusive
  uint32_t endSector = 0;
  uint16_t peak = 0;           // largest absolute sample, 0..32768
  uint32_t copyCrc = 0;        // CRC32 of the audio as written
  bool tested = false;         // test and copy: testCrc holds the first reading's CRC32
  uint32_t testCrc = 0;
  bool checksummed = false;    // the whole track was read: the AccurateRip sums are valid
  uint32_t accurateRipV1 = 0;
  uint32_t accurateRipV2 = 0;
  bool c2Used = false;         // the drive's C2 error pointers took part in the reading
  std::vector<uint32_t> suspiciousSectors;  // absolute sector numbers, ascending
  std::vector<uint32_t> skippedSectors;     // replaced by silence, ascending
  TrackRipResult result = TrackRipResult::NotDone;
  std::string verdict;         // the AccurateRip verdict line, empty when not looked up
  bool accurate = false;       // the verdict found a match
};

// One track of the disc's table of contents, as the log and the CUE sheet show it.
struct RipTocTrack {
  int number = 0;
  uint32_t startSector = 0;
  uint32_t endSector = 0;  // exclusive
  bool isData = false;
};

// Everything a rip's log and CUE sheet say, beyond the files: made with the batch,
// completed by the extraction and the look-up, then written next to the files.
struct RipReport {
  std::string programVersion;
  std::string albumArtist;
  std::string albumTitle;
  std::string genre;
  std::string year;
  std::string driveVendor;     // INQUIRY vendor, product and the transport's name
  std::string driveProduct;
  std::string driveTransport;
  int32_t readOffset = 0;      // samples
  bool secureMode = false;
  int32_t secureRetries = 4;
  bool skipErrors = false;
  std::string outputFormat;    // "MP3", "WAV" or "Ogg Vorbis"
  std::string encoderSettings; // e.g. "128 kbit/s CBR", "quality 5.0", "PCM 16 bit 44.1 kHz stereo"
  std::vector<RipTocTrack> toc;
  uint32_t leadOut = 0;        // the disc's last sector + 1
  uint32_t freedbId = 0;
  std::vector<RipTrackReport> tracks;  // the batch's tracks, in job order
  std::string lookupFailure;   // why the AccurateRip look-up could not be made; empty otherwise
  std::string logPath;         // set once the log was written
  std::string cuePath;
};

}  // namespace sonvarek
