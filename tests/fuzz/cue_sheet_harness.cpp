// A CUE sheet of any text.
#include <string>
#include <string_view>

#include "cdrom/cue_sheet.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

void FuzzCueSheet(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string cuePath = "/fuzz/disc.cue";
  std::string error;
  const std::optional<CueSheet> sheet = ParseCueSheet(text, cuePath, error);
  if (!sheet) {
    FUZZ_CHECK(error.starts_with(cuePath + ":"));
    return;
  }
  FUZZ_CHECK(!sheet->tracks.empty() && !sheet->files.empty());
  int number = sheet->tracks.front().number;
  for (const CueTrack& track : sheet->tracks) {
    FUZZ_CHECK(track.number == number++ && track.number >= 1 && track.number <= 99);
    FUZZ_CHECK(!track.indices.empty() && track.Index01().number == 1);
    FUZZ_CHECK(track.indices.size() == 1 || track.indices[0].number <= 1);
    FUZZ_CHECK(track.pregap <= kLongestDiscFrames && track.postgap <= kLongestDiscFrames);
    for (size_t i = 0; i < track.indices.size(); ++i) {
      const CueIndex& index = track.indices[i];
      FUZZ_CHECK(index.file >= 0 && static_cast<size_t>(index.file) < sheet->files.size());
      FUZZ_CHECK(index.frames <= kLongestDiscFrames);
      if (i > 0) FUZZ_CHECK(index.number == track.indices[i - 1].number + 1);
    }
  }
  for (const CueFile& file : sheet->files) FUZZ_CHECK(file.path.starts_with("/"));
}

}  // namespace sonvarek::fuzz
