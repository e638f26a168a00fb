#include "jobs/wav_file.h"

#include <filesystem>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "support/log_line.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"

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
                                                  {WavReader::Scaler, f.bits == 16}};
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

// Other writers put LIST or fact chunks before the samples, longer fmt chunks and
// chunks after the data; the samples are the data chunk's, wherever it is.
TEST(WavReaders, TheSamplesAreFoundInTheirChunk) {
  test::TempFolder temp;
  const std::string samples = "\x01\x02\x03\x04\x05\x06\x07\x08";
  const std::string list = test::Chunk("LIST", "INFOISFT\x05\x00\x00\x00Lavf\x00");  // odd length: padded
  const std::string fact = test::Chunk("fact", test::Le(2, 4));
  struct Case {
    const char* name;
    std::string bytes;
    uint64_t offset;
  } cases[] = {
      {"canonical", test::ChunkedWav(test::FmtChunk::Pcm16, samples), 44},
      {"18-byte fmt", test::ChunkedWav(test::FmtChunk::Pcm18, samples), 46},
      {"extensible PCM", test::ChunkedWav(test::FmtChunk::ExtensiblePcm, samples, fact), 80},
      {"LIST before data", test::ChunkedWav(test::FmtChunk::Pcm16, samples, list), 44 + list.size()},
      {"chunk after data", test::ChunkedWav(test::FmtChunk::Pcm16, samples, "", list), 44},
  };
  for (const Case& c : cases) {
    std::string path = temp / "f.wav";
    test::WriteWholeFile(path, c.bytes);
    for (WavReader reader : {WavReader::Mp3Encoder, WavReader::OggEncoder, WavReader::Normalizer, WavReader::Scaler}) {
      OpenedWav wav = OpenWavForReader(reader, path);
      ASSERT_EQ(wav.status, WavOpenStatus::Ok) << c.name << ": " << wav.logLine;
      EXPECT_EQ(wav.dataOffset, c.offset) << c.name;
      EXPECT_EQ(wav.dataSize, samples.size()) << c.name;
      std::string read(samples.size(), '\0');
      ASSERT_EQ(wav.file.Read(read.data(), read.size()), static_cast<int64_t>(read.size()));
      EXPECT_EQ(read, samples) << c.name;
    }
  }
}

TEST(WavReaders, WhatIsNotPcmWaveIsRefusedAndLeftAsItIs) {
  test::TempFolder temp;
  const std::string samples(8, '\x11');
  std::string canonical = test::ChunkedWav(test::FmtChunk::Pcm16, samples);
  std::string dataFirst = canonical;
  dataFirst.replace(12, 24, "");  // the fmt chunk gone: data comes without a format
  std::string oversized = canonical;
  oversized.replace(40, 4, test::Le(1000000, 4));  // a data size beyond the file is cut to it
  struct Case {
    const char* name;
    std::string bytes;
    WavOpenStatus status;
  } cases[] = {
      {"not RIFF", "RIFX" + canonical.substr(4), WavOpenStatus::Unsupported},
      {"not WAVE", canonical.substr(0, 8) + "AVI " + canonical.substr(12), WavOpenStatus::Unsupported},
      {"float sub-format", test::ChunkedWav(test::FmtChunk::ExtensibleFloat, samples), WavOpenStatus::Unsupported},
      {"data without fmt", dataFirst, WavOpenStatus::Unsupported},
      {"no data chunk", canonical.substr(0, 36), WavOpenStatus::Unsupported},
      {"cut inside the chunks", canonical.substr(0, 30), WavOpenStatus::CantRead},
      {"oversized data", oversized, WavOpenStatus::Ok},
  };
  for (const Case& c : cases) {
    std::string path = temp / "f.wav";
    test::WriteWholeFile(path, c.bytes);
    OpenedWav wav = OpenWavForReader(WavReader::Normalizer, path);
    EXPECT_EQ(wav.status, c.status) << c.name;
    if (c.status == WavOpenStatus::Unsupported) {
      EXPECT_EQ(test::AfterTimeStamp(wav.logLine), " Error: Can't support this wave format of file " + path + "!");
    }
    if (c.status == WavOpenStatus::Ok) {
      EXPECT_EQ(wav.dataSize, samples.size()) << c.name;
    }
    EXPECT_EQ(test::ReadWholeFile(path), c.bytes) << c.name;
  }
}

TEST(WavReaders, AFifoIsRefusedWithoutWaitingForAWriter) {
  test::TempFolder temp;
  const std::string path = temp / "pipe.wav";
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  OpenedWav wav = OpenWavForReader(WavReader::Mp3Encoder, path);
  EXPECT_EQ(wav.status, WavOpenStatus::NotRegular);
  EXPECT_EQ(test::AfterTimeStamp(wav.logLine), " Error: " + path + " is not a regular file!");
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
