// A disc image of any CUE sheet over two BIN files, laid out and read back.
#include <unistd.h>

#include <string>
#include <vector>

#include "cdrom/disc_image.h"
#include "fuzz_files.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

namespace {

// A BIN file of `sectors` zeroed sectors, one byte more when `partSector` (a size the
// image refuses); sparse, so that writing it costs nothing.
void MakeBinFile(const std::string& name, uint8_t sectors, bool partSector) {
  const std::string path = WriteScratchFile(name, nullptr, 0);
  FUZZ_CHECK(truncate(path.c_str(), static_cast<off_t>(sectors) * 2352 + (partSector ? 1 : 0)) == 0);
}

// `zeroed`: every file of the sheet is one of ours, so every sector reads as zeros.
void CheckLayout(DiscImage& image, bool zeroed) {
  const std::vector<ImageTrack>& tracks = image.Tracks();
  const uint32_t leadOut = image.LeadOutSector();
  FUZZ_CHECK(!tracks.empty() && leadOut <= kLongestDiscFrames);
  for (size_t t = 0; t < tracks.size(); ++t) {
    const ImageTrack& track = tracks[t];
    FUZZ_CHECK(track.firstSector <= track.startSector && track.startSector <= leadOut);
    if (t > 0) FUZZ_CHECK(tracks[t - 1].number + 1 == track.number && tracks[t - 1].startSector <= track.firstSector);
    if (track.startSector < leadOut) FUZZ_CHECK(image.TrackAt(track.startSector) != nullptr);
  }
  FUZZ_CHECK(image.TrackAt(leadOut) == nullptr);
  // Every sector up to the lead-out reads (the files hold zeros, the gaps silence); none after.
  std::vector<uint8_t> sector(2 * 2352, 0xA5);
  if (leadOut > 0) {
    for (uint32_t first : {0u, tracks.front().startSector, leadOut - 1}) {
      if (first >= leadOut) continue;
      FUZZ_CHECK(image.ReadSectors(first, 1, sector.data()));
      for (size_t i = 0; zeroed && i < 2352; ++i) FUZZ_CHECK(sector[i] == 0);
    }
  }
  FUZZ_CHECK(!image.ReadSectors(leadOut, 1, sector.data()));
  if (leadOut > 0) FUZZ_CHECK(!image.ReadSectors(leadOut - 1, 2, sector.data()));
}

}  // namespace

void FuzzDiscImage(const uint8_t* data, size_t size) {
  // Two bytes give the sizes of a.bin and b.bin in sectors (bit 7 of the second: a.bin
  // ends in part of a sector); the rest is the sheet.
  if (size < 2) return;
  MakeBinFile("a.bin", data[0], (data[1] & 0x80) != 0);
  MakeBinFile("b.bin", data[1] & 0x7F, false);
  const std::string cuePath = WriteScratchFile("disc.cue", data + 2, size - 2);

  std::string error;
  ImageFault fault = ImageFault::None;
  std::unique_ptr<DiscImage> image = DiscImage::Load(cuePath, error, &fault);
  if (!image) {
    FUZZ_CHECK(fault != ImageFault::None && !error.empty());
    return;
  }
  FUZZ_CHECK(fault == ImageFault::None);
  const std::optional<CueSheet> sheet =
      ParseCueSheet(ReadWholeFile(cuePath), cuePath, error);
  FUZZ_CHECK(sheet.has_value());
  bool zeroed = true;
  for (const CueFile& file : sheet->files)
    zeroed = zeroed && (file.path == ScratchFolder() + "a.bin" || file.path == ScratchFolder() + "b.bin");
  CheckLayout(*image, zeroed);
}

}  // namespace sonvarek::fuzz
