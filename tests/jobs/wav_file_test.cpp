#include "jobs/wav_file.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/log_line.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

std::string HeaderBytes(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize) {
  WavHeader header = CdWavHeader(dataSize);
  header.channels = channels;
  header.samplesPerSecond = rate;
  header.bitsPerSample = bits;
  auto bytes = SerializeWavHeader(header);
  return std::string(bytes.begin(), bytes.end());
}

TEST(WavHeader, CdHeaderHasTheCanonicalBytes) {
  auto bytes = SerializeWavHeader(CdWavHeader(10 * 2352));
  const unsigned char expected[44] = {'R', 'I', 'F', 'F', 0x04, 0x5C, 0x00, 0x00, 'W', 'A', 'V', 'E', 'f', 'm', 't',
                                      ' ', 16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0,
                                      'd', 'a', 't', 'a', 0xE0, 0x5B, 0x00, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), std::vector<uint8_t>(expected, expected + 44));
  WavHeader parsed = ParseWavHeader(bytes);
  EXPECT_EQ(parsed.dataSize, 23520u);
  EXPECT_EQ(parsed.riffSize, 23556u);
}

TEST(WavHeader, WriteCdWavHeaderRewritesTheStartInPlace) {
  test::TempFolder temp;
  File file = File::Open(temp / "t.wav", File::Mode::CreateTruncate);
  ASSERT_TRUE(WriteCdWavHeader(file, 0));
  std::string samples(3 * 2352, '\x11');
  ASSERT_TRUE(file.WriteAll(samples.data(), samples.size()));
  ASSERT_TRUE(WriteCdWavHeader(file, 3 * 2352));
  file.Close();
  std::string bytes = test::ReadWholeFile(temp / "t.wav");
  ASSERT_EQ(bytes.size(), 44u + 3 * 2352);
  EXPECT_EQ(bytes.substr(0, 44), HeaderBytes(2, 44100, 16, 3 * 2352));
  EXPECT_EQ(bytes.substr(44), samples);
}

TEST(WavReaders, EachReaderAcceptsItsFormats) {
  test::TempFolder temp;
  struct Format {
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    bool mp3, ogg, normalizer;
  } formats[] = {
      {2, 44100, 16, true, true, true},
      {1, 22050, 16, true, false, false},
      {2, 48000, 16, true, false, false},
      {2, 44100, 8, false, false, false},
      {2, 44100, 24, false, false, false},
  };
  for (const Format& f : formats) {
    std::string path = temp / "f.wav";
    test::WriteWholeFile(path, HeaderBytes(f.channels, f.rate, f.bits, 8) + std::string(8, '\0'));
    const std::pair<WavReader, bool> readers[] = {{WavReader::Mp3Encoder, f.mp3},
                                                  {WavReader::OggEncoder, f.ogg},
                                                  {WavReader::Normalizer, f.normalizer},
                                                  {WavReader::Scaler, true}};
    for (auto [reader, accepted] : readers) {
      OpenedWav wav = OpenWavForReader(reader, path);
      EXPECT_EQ(wav.status == WavOpenStatus::Ok, accepted)
          << f.channels << "ch " << f.rate << "Hz " << f.bits << "bit, reader " << static_cast<int>(reader);
      if (!accepted) {
        EXPECT_TRUE(test::HasTimeStamp(wav.logLine, '[')) << wav.logLine;
        EXPECT_EQ(test::AfterTimeStamp(wav.logLine), " Error: Can't support this wave format of file " + path + "!");
      }
    }
  }
}

TEST(WavReaders, DataSizeComesFromTheFileForEncodersAndTheHeaderOtherwise) {
  test::TempFolder temp;
  std::string path = temp / "list.wav";
  // A LIST chunk before "data": its bytes count as samples and offset 40 is whatever is there.
  std::string bytes = HeaderBytes(2, 44100, 16, 0x5453494C) + std::string(100, '\x01');
  test::WriteWholeFile(path, bytes);
  EXPECT_EQ(OpenWavForReader(WavReader::Mp3Encoder, path).dataSize, 100u);
  EXPECT_EQ(OpenWavForReader(WavReader::OggEncoder, path).dataSize, 100u);
  EXPECT_EQ(OpenWavForReader(WavReader::Normalizer, path).dataSize, 0x5453494Cu);

  OpenedWav wav = OpenWavForReader(WavReader::Scaler, path);
  char first = 0;
  ASSERT_EQ(wav.file.Read(&first, 1), 1);  // positioned on the samples
  EXPECT_EQ(first, '\x01');
}

TEST(WavReaders, ShortAndMissingFilesGiveTheirLinesAndChangeNothing) {
  test::TempFolder temp;
  std::string path = temp / "short.wav";
  test::WriteWholeFile(path, "RIFF1234WAVE");
  const std::string missingPath = temp / "missing.wav";
  struct Case {
    WavReader reader;
    char bracket;
    std::string missingLine;
  } cases[] = {
      {WavReader::Mp3Encoder, '(', " Error: can't open file " + missingPath + "!"},
      {WavReader::OggEncoder, '(', " Error: can't open file " + missingPath + "!"},
      {WavReader::Normalizer, '[', " Error: Can't open file " + missingPath + "!"},
      {WavReader::Scaler, '[', " Error: Can't open file " + missingPath + "!"},
  };
  for (const Case& c : cases) {
    OpenedWav shortWav = OpenWavForReader(c.reader, path);
    EXPECT_EQ(shortWav.status, WavOpenStatus::CantRead);
    EXPECT_TRUE(test::HasTimeStamp(shortWav.logLine, '['));
    EXPECT_EQ(test::AfterTimeStamp(shortWav.logLine), " Error: Can't read file " + path + "!");
    OpenedWav missing = OpenWavForReader(c.reader, missingPath);
    EXPECT_EQ(missing.status, WavOpenStatus::CantOpen);
    EXPECT_TRUE(test::HasTimeStamp(missing.logLine, c.bracket)) << missing.logLine;
    EXPECT_EQ(test::AfterTimeStamp(missing.logLine), c.missingLine);
  }
  EXPECT_EQ(test::ReadWholeFile(path), "RIFF1234WAVE");
  EXPECT_FALSE(std::filesystem::exists(temp / "missing.wav"));
}

TEST(TemporaryWavFiles, AreMadeWithThePrefixInTheTemporaryFolder) {
  test::TempFolder temp;
  auto path = CreateTemporaryWavFile(temp.Path());
  ASSERT_TRUE(path);
  EXPECT_EQ(path->rfind(temp.Path() + "PW", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(*path));
  EXPECT_FALSE(CreateTemporaryWavFile(temp / "nowhere/"));
}

}  // namespace
}  // namespace sonvarek
