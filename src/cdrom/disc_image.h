#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cdrom/cue_sheet.h"
#include "platform/file.h"

namespace sonvarek {

// Why an image did not load: a file that cannot be opened or read, or files that
// are there but do not make a disc (a malformed sheet, a BIN file of part sectors,
// an index past its file's end, a disc longer than a CD).
enum class ImageFault { None, Unreadable, Malformed };

// A track of a disc image with its addresses on the disc.
struct ImageTrack {
  int number = 0;
  uint8_t control = 0;      // 0x04 for a data track
  TrackMode mode = TrackMode::Audio;
  uint32_t firstSector = 0; // INDEX 00 when there is one (or the PREGAP start), else INDEX 01
  uint32_t startSector = 0; // INDEX 01: where the table of contents says the track starts
};

// A disc laid out from a CUE sheet and its BIN files of raw 2352-byte sectors:
// logical block 0 is the first sector of the first file; PREGAP and POSTGAP add
// silent sectors that no file holds; the lead-out follows the last sector.
class DiscImage {
 public:
  // Reads and lays out `cuePath`. Nothing, with `error` naming the file (and the
  // line of the sheet where there is one) and `fault` saying which kind it is, when
  // the sheet or a BIN file is missing, unreadable or malformed.
  static std::unique_ptr<DiscImage> Load(const std::string& cuePath, std::string& error,
                                         ImageFault* fault = nullptr);
  static std::unique_ptr<DiscImage> FromSheet(const CueSheet& sheet, const std::string& cuePath, std::string& error,
                                              ImageFault* fault = nullptr);

  const std::vector<ImageTrack>& Tracks() const { return tracks_; }
  uint32_t LeadOutSector() const { return leadOut_; }
  // The track that holds `sector` (from its first sector on); nullptr before the
  // first track or from the lead-out on.
  const ImageTrack* TrackAt(uint32_t sector) const;

  // Copies `count` sectors from `first` into `out` (count × 2352 bytes). False when
  // the range passes the lead-out or a BIN file cannot be read.
  bool ReadSectors(uint32_t first, uint32_t count, uint8_t* out);

  // Whether the CUE sheet (when loaded from its path) or a BIN file was deleted (lost its
  // last name) since it was opened.
  bool FileDeleted() const;

 private:
  struct Segment {
    uint32_t firstSector = 0;
    uint32_t count = 0;
    int file = -1;            // -1: silence
    uint64_t fileOffset = 0;  // bytes
  };
  struct BinFile {
    std::string path;
    File file;
    uint32_t sectors = 0;
  };

  static ImageFault OpenBin(const CueFile& cueFile, const std::string& cuePath, BinFile& bin, std::string& error);
  bool LayOut(const CueSheet& sheet, const std::string& cuePath, std::string& error);
  void AddSegment(int file, uint64_t fileSector, uint32_t count);
  bool ReadSegment(const Segment& segment, uint32_t first, uint32_t count, uint8_t* out);

  File sheet_;  // held open from Load on, to notice the sheet's deletion
  std::vector<BinFile> files_;
  std::vector<Segment> segments_;
  std::vector<ImageTrack> tracks_;
  uint32_t leadOut_ = 0;
};

}  // namespace sonvarek
