#include "cdrom/disc_image.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr int64_t kLargestCueSheet = 1 << 20;

std::string SheetError(const std::string& cuePath, const std::string& what) {
  return FormatText(text::kCueSheetError, cuePath, what);
}

ImageFault ReadCueText(const std::string& cuePath, std::string& text, std::string& error) {
  File file = File::Open(cuePath, File::Mode::Read);
  if (!file.IsOpen()) {
    error = SheetError(cuePath, FormatText(text::kCueCantOpen, file.ErrorText()));
    return ImageFault::Unreadable;
  }
  std::optional<int64_t> size = file.Size();
  if (size && *size > kLargestCueSheet) {
    error = SheetError(cuePath, text::kCueTooLarge);
    return ImageFault::Malformed;
  }
  if (size) text.resize(static_cast<size_t>(*size));
  if (!size || file.Read(text.data(), text.size()) != *size) {
    error = SheetError(cuePath, FormatText(text::kCueCantRead, file.ErrorText()));
    return ImageFault::Unreadable;
  }
  return ImageFault::None;
}

std::unique_ptr<DiscImage> Refused(ImageFault kind, ImageFault* fault) {
  if (fault != nullptr) *fault = kind;
  return nullptr;
}

// One position of the layout walk, in the order of the sheet: a track's gaps (the
// previous track's POSTGAP, then its own PREGAP) come right before its first index.
struct Mark {
  int file = 0;
  uint32_t frames = 0;
  int track = 0;
  int index = -1;  // -1: the gap mark
  uint32_t postgapBefore = 0;
  uint32_t pregap = 0;
  int line = 0;
};

std::vector<Mark> MarksOf(const CueSheet& sheet) {
  std::vector<Mark> marks;
  for (size_t t = 0; t < sheet.tracks.size(); ++t) {
    const CueTrack& track = sheet.tracks[t];
    const CueIndex& first = track.indices.front();
    uint32_t postgap = t > 0 ? sheet.tracks[t - 1].postgap : 0;
    marks.push_back(Mark{first.file, first.frames, static_cast<int>(t), -1, postgap, track.pregap, first.line});
    for (const CueIndex& index : track.indices) {
      marks.push_back(Mark{index.file, index.frames, static_cast<int>(t), index.number, 0, 0, index.line});
    }
  }
  return marks;
}

}  // namespace

std::unique_ptr<DiscImage> DiscImage::Load(const std::string& cuePath, std::string& error, ImageFault* fault) {
  std::string text;
  if (ImageFault read = ReadCueText(cuePath, text, error); read != ImageFault::None) return Refused(read, fault);
  std::optional<CueSheet> sheet = ParseCueSheet(text, cuePath, error);
  if (!sheet) return Refused(ImageFault::Malformed, fault);
  std::unique_ptr<DiscImage> image = FromSheet(*sheet, cuePath, error, fault);
  if (image) image->sheet_ = File::Open(cuePath, File::Mode::Read);
  return image;
}

std::unique_ptr<DiscImage> DiscImage::FromSheet(const CueSheet& sheet, const std::string& cuePath, std::string& error,
                                                ImageFault* fault) {
  std::unique_ptr<DiscImage> image(new DiscImage());
  for (const CueFile& cueFile : sheet.files) {
    BinFile bin;
    if (ImageFault opened = OpenBin(cueFile, cuePath, bin, error); opened != ImageFault::None) {
      return Refused(opened, fault);
    }
    image->files_.push_back(std::move(bin));
  }
  if (!image->LayOut(sheet, cuePath, error)) return Refused(ImageFault::Malformed, fault);
  if (fault != nullptr) *fault = ImageFault::None;
  return image;
}

ImageFault DiscImage::OpenBin(const CueFile& cueFile, const std::string& cuePath, BinFile& bin, std::string& error) {
  bin.path = cueFile.path;
  bin.file = File::Open(cueFile.path, File::Mode::Read);
  if (!bin.file.IsOpen()) {
    error = CueLineError(cuePath, cueFile.line, FormatText(text::kBinCantOpen, cueFile.name, bin.file.ErrorText()));
    return ImageFault::Unreadable;
  }
  std::optional<int64_t> size = bin.file.Size();
  if (!size) {
    error = CueLineError(cuePath, cueFile.line, FormatText(text::kBinUnreadable, cueFile.name));
    return ImageFault::Unreadable;
  }
  if (*size % kSectorBytes != 0) {
    const std::string what = FormatText(text::kBinNotWholeSectors, cueFile.name, std::to_string(*size));
    error = CueLineError(cuePath, cueFile.line, what);
    return ImageFault::Malformed;
  }
  if (static_cast<uint64_t>(*size) / kSectorBytes > kLongestDiscFrames) {
    error = CueLineError(cuePath, cueFile.line, FormatText(text::kBinTooLarge, cueFile.name));
    return ImageFault::Malformed;
  }
  bin.sectors = static_cast<uint32_t>(*size / kSectorBytes);
  return ImageFault::None;
}

// Walks the files in order, placing file contents and inserted silence on the disc
// and noting where each track's indices land.
bool DiscImage::LayOut(const CueSheet& sheet, const std::string& cuePath, std::string& error) {
  tracks_.resize(sheet.tracks.size());
  for (size_t t = 0; t < sheet.tracks.size(); ++t) {
    tracks_[t].number = sheet.tracks[t].number;
    tracks_[t].control = sheet.tracks[t].control;
    tracks_[t].mode = sheet.tracks[t].mode;
    tracks_[t].firstSector = UINT32_MAX;
  }
  std::vector<Mark> marks = MarksOf(sheet);
  uint64_t sector = 0;
  auto place = [&](int file, uint64_t fileSector, uint32_t count) {
    AddSegment(file, fileSector, count);
    sector += count;
  };
  size_t next = 0;
  for (size_t f = 0; f < files_.size(); ++f) {
    uint32_t position = 0;
    for (; next < marks.size() && marks[next].file == static_cast<int>(f); ++next) {
      const Mark& mark = marks[next];
      if (mark.frames > files_[f].sectors) {
        error = CueLineError(cuePath, mark.line, FormatText(text::kIndexBeyondFile, sheet.files[f].name));
        return false;
      }
      place(static_cast<int>(f), position, mark.frames - position);
      position = mark.frames;
      ImageTrack& track = tracks_[mark.track];
      if (mark.index == -1) {
        place(-1, 0, mark.postgapBefore);
        if (mark.pregap > 0) track.firstSector = static_cast<uint32_t>(sector);
        place(-1, 0, mark.pregap);
      } else {
        track.firstSector = static_cast<uint32_t>(std::min<uint64_t>(track.firstSector, sector));
        if (mark.index == 1) track.startSector = static_cast<uint32_t>(sector);
      }
    }
    place(static_cast<int>(f), position, files_[f].sectors - position);
  }
  place(-1, 0, sheet.tracks.back().postgap);
  if (sector > kLongestDiscFrames) {
    error = SheetError(cuePath, text::kImagePastLongestDisc);
    return false;
  }
  leadOut_ = static_cast<uint32_t>(sector);
  return true;
}

void DiscImage::AddSegment(int file, uint64_t fileSector, uint32_t count) {
  if (count == 0) return;
  uint32_t first = segments_.empty() ? 0 : segments_.back().firstSector + segments_.back().count;
  segments_.push_back(Segment{first, count, file, fileSector * kSectorBytes});
}

const ImageTrack* DiscImage::TrackAt(uint32_t sector) const {
  if (sector >= leadOut_) return nullptr;
  const ImageTrack* found = nullptr;
  for (const ImageTrack& track : tracks_) {
    if (track.firstSector <= sector) found = &track;
  }
  return found;
}

bool DiscImage::ReadSectors(uint32_t first, uint32_t count, uint8_t* out) {
  if (static_cast<uint64_t>(first) + count > leadOut_) return false;
  while (count > 0) {
    auto after = std::upper_bound(segments_.begin(), segments_.end(), first,
                                  [](uint32_t sector, const Segment& segment) { return sector < segment.firstSector; });
    const Segment& segment = *(after - 1);
    uint32_t here = std::min(count, segment.firstSector + segment.count - first);
    if (!ReadSegment(segment, first, here, out)) return false;
    first += here;
    count -= here;
    out += static_cast<size_t>(here) * kSectorBytes;
  }
  return true;
}

bool DiscImage::FileDeleted() const {
  auto unlinked = [](const File& file) {
    struct stat status {};
    return file.IsOpen() && ::fstat(file.descriptor(), &status) == 0 && status.st_nlink == 0;
  };
  return unlinked(sheet_) ||
         std::any_of(files_.begin(), files_.end(), [&](const BinFile& bin) { return unlinked(bin.file); });
}

bool DiscImage::ReadSegment(const Segment& segment, uint32_t first, uint32_t count, uint8_t* out) {
  size_t bytes = static_cast<size_t>(count) * kSectorBytes;
  if (segment.file < 0) {
    std::memset(out, 0, bytes);
    return true;
  }
  File& file = files_[segment.file].file;
  uint64_t offset = segment.fileOffset + static_cast<uint64_t>(first - segment.firstSector) * kSectorBytes;
  return file.Seek(static_cast<int64_t>(offset)) && file.Read(out, bytes) == static_cast<int64_t>(bytes);
}

}  // namespace sonvarek
