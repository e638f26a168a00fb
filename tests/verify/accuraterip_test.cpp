#include "verify/accuraterip.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

using test::ChunkedWav;
using test::FmtChunk;
using test::RunProgram;
using test::ShellQuoted;
using test::TempFolder;
using test::WriteWholeFile;

constexpr size_t kSectorBytes = 2352;

struct ToolSums {
  uint32_t v1 = 0;
  uint32_t v2 = 0;
};

// Debian's accuraterip-checksum (package whipper) on a WAV file: an independent implementation.
ToolSums ChecksumsByTool(const std::string& wav, int track, int trackCount) {
  auto run = [&](const char* version) {
    const std::string command = std::string("accuraterip-checksum ") + version + " " + ShellQuoted(wav) + " " +
                                std::to_string(track) + " " + std::to_string(trackCount);
    const test::ProgramResult result = RunProgram(command);
    EXPECT_EQ(result.status, 0) << command << ": " << result.out;
    return static_cast<uint32_t>(std::stoul(result.out.empty() ? "0" : result.out, nullptr, 16));
  };
  return {run("--accuraterip-v1"), run("--accuraterip-v2")};
}

struct ChecksumCase {
  int track;
  int trackCount;
  size_t sectors;
};

// Tracks of a 3-track disc (20 s, 13.4 s, 9 s) and a one-track disc, with random samples
// so that any frame counted, skipped or weighted wrongly changes the sums. The pieces
// split frames in every way, to prove the carried bytes are joined.
TEST(AccurateRipChecksum, EqualsAccurateRipChecksumToolOnFirstMiddleLastAndOnlyTracks) {
  const ChecksumCase cases[] = {{1, 3, 1500}, {2, 3, 1005}, {3, 3, 675}, {1, 1, 1500}};
  TempFolder folder;
  std::mt19937 random(2940);
  for (const ChecksumCase& c : cases) {
    SCOPED_TRACE("track " + std::to_string(c.track) + " of " + std::to_string(c.trackCount));
    std::string pcm(c.sectors * kSectorBytes, '\0');
    for (char& byte : pcm) byte = static_cast<char>(random());
    const std::string wav = folder / ("track" + std::to_string(c.track) + "-" + std::to_string(c.trackCount) + ".wav");
    WriteWholeFile(wav, ChunkedWav(FmtChunk::Pcm16, pcm));

    AccurateRipChecksum checksum(pcm.size() / 4, c.track == 1, c.track == c.trackCount);
    const size_t pieces[] = {1, 3, 4097};
    const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
    for (size_t at = 0, i = 0; at < pcm.size(); ++i) {
      const size_t length = std::min(pieces[i % 3], pcm.size() - at);
      checksum.Add({bytes + at, length});
      at += length;
    }
    const ToolSums expected = ChecksumsByTool(wav, c.track, c.trackCount);
    EXPECT_EQ(checksum.V1(), expected.v1);
    EXPECT_EQ(checksum.V2(), expected.v2);
  }
}

// A table of contents in the CDTOC tag notation (hex, 150-based): the audio track
// count, the audio tracks' starts, a data track's start when one follows the audio, the
// lead-out; "X" marks a data track that comes first.
struct CdtocDisc {
  std::vector<RipTocTrack> toc;
  uint32_t leadOut = 0;
};

CdtocDisc ParseCdtoc(const std::string& cdtoc) {
  std::vector<uint32_t> sectors;
  std::optional<uint32_t> dataFirst;
  std::stringstream stream(cdtoc);
  std::string field;
  std::getline(stream, field, '+');
  const size_t audioCount = std::stoul(field, nullptr, 16);
  while (std::getline(stream, field, '+')) {
    const bool data = field[0] == 'X';
    const auto sector = static_cast<uint32_t>(std::stoul(field.substr(data ? 1 : 0), nullptr, 16) - 150);
    if (data) {
      dataFirst = sector;
    } else {
      sectors.push_back(sector);
    }
  }
  CdtocDisc disc;
  disc.leadOut = sectors.back();
  std::vector<std::pair<uint32_t, bool>> starts;
  if (dataFirst) starts.emplace_back(*dataFirst, true);
  for (size_t i = 0; i + 1 < sectors.size(); ++i) starts.emplace_back(sectors[i], i >= audioCount);
  for (size_t i = 0; i < starts.size(); ++i) {
    const uint32_t end = i + 1 < starts.size() ? starts[i + 1].first : disc.leadOut;
    disc.toc.push_back({static_cast<int>(i + 1), starts[i].first, end, starts[i].second});
  }
  return disc;
}

struct PublishedDisc {
  const char* what;
  const char* cdtoc;
  uint32_t freedbId;
  const char* path;
};

// Ids that verified rips of the discs used, or kept as another project's test data
// (the first two discs' TOCs, published in decimal, are written here in CDTOC notation):
// - Recoil, "Liquid": an enhanced CD, 10 audio tracks then a data track; the TOC as pycdio
//   read it and the ids that matched the database, in ARver's doc/data_track.md
//   (github.com/arcctgx/ARver). Ending the audio 11400 sectors before the data track
//   gives 010-00154c2f-00af4fd4 there, whose sums do not match the disc's rips.
// - "Mortal Kombat Trilogy": a mixed-mode CD, a data track then 28 audio tracks; its
//   ids, same document.
// - A 4-track audio CD and a 13-track enhanced CD from the tests of the cdtoc crate
//   (github.com/Blobfolio/cdtoc, src/accuraterip.rs), the first with the database URL its
//   documentation gives; and a 16-track audio CD whose first track starts at 182, not 150.
TEST(AccurateRipIds, OfPublishedDiscs) {
  const PublishedDisc discs[] = {
      {"Liquid (enhanced)",
       "A+96+31DF+9E27+F6F9+16CE2+1CD63+25139+2D014+348DC+3C69F+44C87+517E9", 0x9e11600b,
       "9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin"},
      {"Mortal Kombat Trilogy (mixed mode)",
       "1C+104A8+12AD6+14FCB+16E40+19670+1C562+1E747+20C3E+22E44+2512C+273D0+295D1+2BA2B+2E02B+30067+32612+"
       "3473D+369C6+371D2+37450+38CDC+3A757+3A93B+3BCFD+3E138+3F7E2+3FC66+3FE2A+3FF58+X96",
       0xaf0da31d, "4/5/a/dBAR-028-00517a54-05a845d2-af0da31d.bin"},
      {"4-track audio CD", "4+96+2D2B+6256+B327+D84A", 0x1f02e004, "a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin"},
      {"13-track enhanced CD",
       "D+96+3B5D+78E3+B441+EC83+134F4+17225+1A801+1EA5C+23B5B+27CEF+2B58B+2F974+35D56+514C8", 0xb611560e,
       "d/e/2/dBAR-013-001802ed-00f8ee31-b611560e.bin"},
      {"16-track audio CD from 182",
       "10+B6+5352+62AC+99D6+E218+12AC0+135E7+142E9+178B0+19D22+1B0D0+1E7FA+22882+247DB+27074+2A1BD+2C0FB",
       0xd6096410, "1/6/e/dBAR-016-0018be61-012232a8-d6096410.bin"},
  };
  for (const PublishedDisc& published : discs) {
    SCOPED_TRACE(published.what);
    const CdtocDisc disc = ParseCdtoc(published.cdtoc);
    const AccurateRipDiscIds ids = AccurateRipIdsOfToc(disc.toc, disc.leadOut, published.freedbId);
    EXPECT_EQ(AccurateRipDatabasePath(ids), published.path);
  }
}

}  // namespace
}  // namespace sonvarek
