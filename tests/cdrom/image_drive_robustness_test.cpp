#include <gtest/gtest.h>
#include <random>

#include "cdrom/image_drive.h"
#include "cdrom_test_support.h"

namespace sonvarek {
namespace {

constexpr char kSheet[] =
    "FILE \"a.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    PREGAP 00:00:05\n"
    "    INDEX 00 00:00:40\n"
    "    INDEX 01 00:00:50\n"
    "FILE \"b.bin\" BINARY\n"
    "  TRACK 03 MODE1/2352\n"
    "    INDEX 01 00:00:00\n"
    "    POSTGAP 00:00:02\n";

// Random command blocks, well-formed or not, never make the drive write outside the
// initiator's buffer.
TEST(ImageDriveRobustness, ArbitraryCommandBlocksStayInsideTheBuffer) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "a.bin", test::PatternedSectors(1, 60));
  test::WriteWholeFile(temp / "b.bin", test::PatternedSectors(2, 20));
  test::WriteWholeFile(temp / "x.cue", kSheet);
  std::string error;
  std::unique_ptr<ImageDrive> drive = ImageDrive::Load(temp / "x.cue", {}, error);
  ASSERT_TRUE(drive) << error;

  std::mt19937 random(20261210);
  const uint8_t opcodes[] = {0x00, 0x12, 0x1B, 0x28, 0x42, 0x43, 0x4B, 0xA5, 0xBE, 0xD4, 0xD8, 0x5A};
  constexpr size_t kGuard = 64;
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> cdb(1 + random() % 12);
    for (uint8_t& byte : cdb) byte = static_cast<uint8_t>(random());
    cdb[0] = opcodes[random() % std::size(opcodes)];
    if (cdb.size() > 8 && random() % 2) {  // mostly small transfers at small addresses
      cdb[2] = cdb[3] = cdb[4] = cdb[6] = cdb[7] = 0;
    }
    uint32_t length = static_cast<uint32_t>(random() % (3 * 2352));
    std::vector<uint8_t> buffer(length + kGuard, 0xAB);
    ScsiRequest request{cdb, nullptr, 0, length > 0 ? buffer.data() : nullptr, length};
    ScsiOutcome outcome = drive->Execute(request);
    ASSERT_TRUE(std::all_of(buffer.begin() + length, buffer.end(), [](uint8_t b) { return b == 0xAB; }))
        << "round " << round << " opcode " << int(cdb[0]);
    if (outcome.status == ScsiStatus::CheckCondition) {
      ASSERT_TRUE(ParseSense(outcome.sense));
    }
    if (!drive->HasMedium()) drive->LoadMedium();
  }
}

// Mangled CUE sheets either load or fail with a message naming the sheet.
TEST(ImageDriveRobustness, MangledSheetsNeverCrash) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "a.bin", test::PatternedSectors(1, 60));
  test::WriteWholeFile(temp / "b.bin", test::PatternedSectors(2, 20));
  const std::string pieces[] = {"\n", " ", "\"", ":", "99", "00", "INDEX ", "TRACK ", "FILE ", "PREGAP ", "75"};
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text = kSheet;
    for (int edit = 1 + random() % 4; edit > 0; --edit) {
      size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text.erase(at, 1 + random() % 6); break;
        case 1: text.insert(at, pieces[random() % std::size(pieces)]); break;
        default: text[at] = static_cast<char>(random()); break;
      }
      if (text.empty()) text = "\n";
    }
    std::string cue = temp / "m.cue";
    std::string error;
    std::optional<CueSheet> sheet = ParseCueSheet(text, cue, error);
    std::unique_ptr<DiscImage> image = sheet ? DiscImage::FromSheet(*sheet, cue, error) : nullptr;
    if (!image) {
      ASSERT_EQ(error.rfind(cue, 0), 0u) << error;
      continue;
    }
    ImageDrive drive(std::move(image), {});
    std::vector<uint8_t> toc(804);
    const uint8_t readToc[10] = {0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0};
    ASSERT_EQ(drive.Execute({readToc, nullptr, 0, toc.data(), 804}).status, ScsiStatus::Good) << text;
  }
}

}  // namespace
}  // namespace sonvarek
