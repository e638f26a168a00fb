#include "freedb/cdplayer_ini.h"

#include <gtest/gtest.h>

namespace sonvarek {
namespace {

constexpr uint32_t kVolumeId = 0x50e28;

DiscRecord TitledRecord() {
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = 4;
  disc.entries[0].Artist = "Ünïcode Artist";
  disc.entries[0].Album = "日本 Album";
  disc.entries[0].Year = "1984";
  for (size_t n = 1; n <= 3; ++n) disc.entries[n].Title = "Straße " + std::to_string(n);
  return disc;
}

TEST(CdPlayerIni, ExportWritesTheSectionInOrderAndImportReadsItBack) {
  ProfileFile file = ProfileFile::Parse("[50e28]\norder=2 1 0\nNumTracks=9\n[other]\n0=Keep\n");
  ExportCdPlayerIni(file, kVolumeId, TitledRecord(), 3);
  EXPECT_EQ(file.Text(),
            "[50e28]\norder=2 1 0\nNumTracks=3\nEntryType=1\nArtist=Ünïcode Artist\nTitle=日本 Album\n"
            "0=Straße 1\n1=Straße 2\n2=Straße 3\nnumplay=3\nYear=1984\n[other]\n0=Keep\n");

  DiscRecord fresh;
  ClearDiscRecord(fresh);
  EXPECT_TRUE(ImportCdPlayerIni(ProfileFile::Parse(file.Text()), kVolumeId, 3, fresh));
  DiscRecord expected = TitledRecord();
  EXPECT_EQ(fresh.entries[0].Artist, expected.entries[0].Artist);
  EXPECT_EQ(fresh.entries[0].Album, expected.entries[0].Album);
  EXPECT_EQ(fresh.entries[0].Year, expected.entries[0].Year);
  for (size_t n = 1; n <= 3; ++n) EXPECT_EQ(fresh.entries[n].Title, expected.entries[n].Title);
}

TEST(CdPlayerIni, ImportNeverClearsAFieldAndKeepsToItsSection) {
  ProfileFile file = ProfileFile::Parse("[50E28]\nArtist=\nTitle=  \nYear=2001\n0=\n1=" + std::string(300, 'z') +
                                        "\n5=Past the disc\n");
  DiscRecord disc = TitledRecord();
  EXPECT_TRUE(ImportCdPlayerIni(file, kVolumeId, 3, disc));
  EXPECT_EQ(disc.entries[0].Artist, "Ünïcode Artist");
  EXPECT_EQ(disc.entries[0].Album, "日本 Album");
  EXPECT_EQ(disc.entries[0].Year, "2001");
  EXPECT_EQ(disc.entries[1].Title, "Straße 1");
  EXPECT_EQ(disc.entries[2].Title, std::string(254, 'z'));  // 255-byte buffer
  EXPECT_EQ(disc.entries[6].Title, "");

  DiscRecord untouched = TitledRecord();
  EXPECT_FALSE(ImportCdPlayerIni(file, 0x50e29, 3, untouched));  // no section for this disc
  EXPECT_EQ(untouched.entries, TitledRecord().entries);
}

}  // namespace
}  // namespace sonvarek
