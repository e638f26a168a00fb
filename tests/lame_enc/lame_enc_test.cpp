#include "lame_enc/lame_enc.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <lame/lame.h>

#include "support/mp3_frames.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

LameEncConfig Config(uint32_t rate, int32_t mode, uint32_t kbps) {
  LameEncConfig config{};
  config.dwConfig = BE_CONFIG_LAME;
  config.dwStructVersion = 1;
  config.dwStructSize = sizeof config;
  config.dwSampleRate = rate;
  config.nMode = mode;
  config.dwBitrate = kbps;
  config.dwMaxBitrate = 320;
  config.nPreset = LQP_NORMAL_QUALITY;
  config.dwMpegVersion = 1;
  return config;
}

struct Stream {
  HBE_STREAM handle = 0;
  uint32_t samples = 0;
  uint32_t bufferSize = 0;
};

// Encodes all samples chunk by chunk, flushes and closes; the MP3 stream.
std::string EncodeAll(LameEncConfig config, const std::vector<int16_t>& pcm) {
  Stream s;
  EXPECT_EQ(beInitStream(&config, &s.samples, &s.bufferSize, &s.handle), BE_ERR_SUCCESSFUL);
  std::vector<uint8_t> out(s.bufferSize);
  std::string bytes;
  for (size_t i = 0; i < pcm.size(); i += s.samples) {
    auto count = static_cast<uint32_t>(std::min<size_t>(s.samples, pcm.size() - i));
    uint32_t produced = 0;
    EXPECT_EQ(beEncodeChunk(s.handle, count, pcm.data() + i, out.data(), &produced), BE_ERR_SUCCESSFUL);
    bytes.append(reinterpret_cast<const char*>(out.data()), produced);
  }
  uint32_t produced = 0;
  EXPECT_EQ(beDeinitStream(s.handle, out.data(), &produced), BE_ERR_SUCCESSFUL);
  bytes.append(reinterpret_cast<const char*>(out.data()), produced);
  EXPECT_EQ(beCloseStream(s.handle), BE_ERR_SUCCESSFUL);
  return bytes;
}

TEST(LameEnc, VersionRecordNamesThisLibraryAndTheEngine) {
  LameEncVersion version;
  std::memset(&version, 0xAB, sizeof version);
  beVersion(&version);
  lame_version_t engine{};
  get_lame_version_numerical(&engine);
  EXPECT_EQ(version.byDLLMajorVersion, 1);
  EXPECT_EQ(version.byDLLMinorVersion, 0);
  EXPECT_EQ(version.byMajorVersion, engine.major);
  EXPECT_EQ(version.byMinorVersion, engine.minor);
  EXPECT_GE(version.byDay, 1);
  EXPECT_LE(version.byMonth, 12);
  EXPECT_GE(version.wYear, 2026);
  EXPECT_STREQ(version.zHomepage, "https://sonvarek.invalid/maker");
  EXPECT_TRUE(std::all_of(std::begin(version.btReserved), std::end(version.btReserved), [](uint8_t b) { return b == 0; }));
}

TEST(LameEnc, InitStreamGivesTheFrameOfSamplesAndABufferForTheWorstCase) {
  struct Case {
    uint32_t rate;
    int32_t mode;
    uint32_t samples;
    uint32_t bufferSize;  // 1.25 × samples per channel + 7200, libmp3lame's worst case
  };
  for (Case c : {Case{44100, BE_MP3_MODE_JSTEREO, 2304, 8640}, Case{44100, BE_MP3_MODE_MONO, 1152, 8640},
                 Case{22050, BE_MP3_MODE_STEREO, 1152, 7920}}) {
    LameEncConfig config = Config(c.rate, c.mode, 128);
    Stream s;
    ASSERT_EQ(beInitStream(&config, &s.samples, &s.bufferSize, &s.handle), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(s.samples, c.samples) << c.rate;
    EXPECT_EQ(s.bufferSize, c.bufferSize) << c.rate;
    EXPECT_EQ(beCloseStream(s.handle), BE_ERR_SUCCESSFUL);
  }
}

TEST(LameEnc, RefusesRecordsItCannotTakeWithTheBladeEncCodes) {
  struct Case {
    const char* what;
    void (*change)(LameEncConfig&);
    BE_ERR expected;
  };
  const Case cases[] = {
      {"the plain MP3 form", [](LameEncConfig& c) { c.dwConfig = 0; }, BE_ERR_INVALID_FORMAT},
      {"a record smaller than the LAME form", [](LameEncConfig& c) { c.dwStructSize = 300; }, BE_ERR_INVALID_FORMAT},
      {"an unknown mode", [](LameEncConfig& c) { c.nMode = 4; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
      {"no sample rate", [](LameEncConfig& c) { c.dwSampleRate = 0; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
      {"a VBR quality above 9",
       [](LameEncConfig& c) {
         c.bEnableVBR = 1;
         c.nVBRQuality = 10;
       },
       BE_ERR_INVALID_FORMAT_PARAMETERS},
  };
  for (const Case& c : cases) {
    LameEncConfig config = Config(44100, BE_MP3_MODE_STEREO, 128);
    c.change(config);
    Stream s;
    EXPECT_EQ(beInitStream(&config, &s.samples, &s.bufferSize, &s.handle), c.expected) << c.what;
  }
  LameEncConfig config = Config(44100, BE_MP3_MODE_STEREO, 128);
  uint32_t samples = 0;
  EXPECT_EQ(beInitStream(&config, &samples, nullptr, nullptr), BE_ERR_INVALID_FORMAT_PARAMETERS);
}

TEST(LameEnc, UnknownAndClosedHandlesAreRefusedNotUsed) {
  LameEncConfig config = Config(44100, BE_MP3_MODE_STEREO, 128);
  Stream s;
  ASSERT_EQ(beInitStream(&config, &s.samples, &s.bufferSize, &s.handle), BE_ERR_SUCCESSFUL);
  std::vector<uint8_t> out(s.bufferSize);
  std::vector<int16_t> pcm(s.samples + 2, 0);
  uint32_t produced = 0;
  EXPECT_EQ(beEncodeChunk(s.handle, s.samples + 2, pcm.data(), out.data(), &produced), BE_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(beCloseStream(s.handle), BE_ERR_SUCCESSFUL);
  for (HBE_STREAM handle : {s.handle, s.handle + 1000, HBE_STREAM{0}}) {
    EXPECT_EQ(beEncodeChunk(handle, 2, pcm.data(), out.data(), &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(beDeinitStream(handle, out.data(), &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(beCloseStream(handle), BE_ERR_INVALID_HANDLE);
  }
}

// The record's mode, rate and header bits reach every frame of the stream.
TEST(LameEnc, FramesCarryTheModeRateAndFlagsOfTheRecord) {
  struct Case {
    int32_t mode;
    uint32_t kbps;
    bool bits;  // private, copyright and original all set, or all clear
    int expectedMode;
  };
  for (Case c : {Case{BE_MP3_MODE_STEREO, 128, true, 0}, Case{BE_MP3_MODE_JSTEREO, 192, false, 1},
                 Case{BE_MP3_MODE_MONO, 64, true, 3}}) {
    LameEncConfig config = Config(44100, c.mode, c.kbps);
    config.bPrivate = config.bCopyright = config.bOriginal = c.bits ? 1 : 0;
    const int channels = c.mode == BE_MP3_MODE_MONO ? 1 : 2;
    std::string mp3 = EncodeAll(config, test::SineSamples(1.0, channels, 44100));
    test::Mp3Walk walk = test::WalkMp3Frames(mp3, 0, mp3.size());
    ASSERT_TRUE(walk.complete) << walk.problem;
    // 44100 samples after the 576 of encoder delay, in frames of 1152.
    EXPECT_GE(walk.frames.size() * 1152, 44100u + 576u);
    EXPECT_LT(walk.frames.size() * 1152, 44100u + 576u + 2 * 1152u);
    for (const test::Mp3FrameHeader& frame : walk.frames) {
      ASSERT_EQ(frame.version, 1);
      ASSERT_EQ(frame.bitRate, static_cast<int>(c.kbps));
      ASSERT_EQ(frame.sampleRate, 44100);
      if (c.mode != BE_MP3_MODE_JSTEREO) {
        ASSERT_EQ(frame.channelMode, c.expectedMode);
      }
      ASSERT_EQ(frame.privateBit, c.bits);
      ASSERT_EQ(frame.copyright, c.bits);
      ASSERT_EQ(frame.original, c.bits);
    }
  }
}

TEST(LameEnc, VbrStaysWithinTheMinimumAndMaximumRates) {
  LameEncConfig config = Config(44100, BE_MP3_MODE_JSTEREO, 96);
  config.dwMaxBitrate = 192;
  config.bEnableVBR = 1;
  config.nVBRQuality = 2;
  std::vector<int16_t> pcm = test::SineSamples(1.0, 2, 44100, 3000.0);
  std::string mp3 = EncodeAll(config, pcm);
  test::Mp3Walk walk = test::WalkMp3Frames(mp3, 0, mp3.size());
  ASSERT_TRUE(walk.complete) << walk.problem;
  for (const test::Mp3FrameHeader& frame : walk.frames) {
    EXPECT_GE(frame.bitRate, 96);
    EXPECT_LE(frame.bitRate, 192);
  }
}

// Left to itself libmp3lame drops to 16-32 kHz (MPEG-2) for these; a record without a
// resample rate keeps the input's rate.
TEST(LameEnc, WithoutAResampleRateTheStreamKeepsTheInputRate) {
  struct Case {
    const char* what;
    uint32_t rate;
    void (*change)(LameEncConfig&);
    int sampleRate;  // of every frame, MPEG-1; 0 for any rate
  };
  const Case cases[] = {
      {"32 kbit/s", 44100, [](LameEncConfig&) {}, 44100},
      {"VBR quality 8",
       44100,
       [](LameEncConfig& c) {
         c.bEnableVBR = 1;
         c.nVBRQuality = 8;
       },
       44100},
      {"the voice preset at 128 kbit/s",
       44100,
       [](LameEncConfig& c) {
         c.nPreset = LQP_VOICE_QUALITY;
         c.dwBitrate = 128;
       },
       44100},
      {"32 kbit/s at 48 kHz", 48000, [](LameEncConfig&) {}, 48000},
      // No MPEG stream carries 96 kHz: the encoder still picks a rate rather than refuse.
      {"96 kHz", 96000, [](LameEncConfig&) {}, 0},
  };
  for (const Case& c : cases) {
    LameEncConfig config = Config(c.rate, BE_MP3_MODE_JSTEREO, 32);
    c.change(config);
    std::string mp3 = EncodeAll(config, test::SineSamples(0.5, 2, static_cast<int>(c.rate)));
    test::Mp3Walk walk = test::WalkMp3Frames(mp3, 0, mp3.size());
    ASSERT_TRUE(walk.complete) << c.what << ": " << walk.problem;
    if (c.sampleRate == 0) continue;
    for (const test::Mp3FrameHeader& frame : walk.frames) {
      ASSERT_EQ(frame.version, 1) << c.what;
      ASSERT_EQ(frame.sampleRate, c.sampleRate) << c.what;
    }
  }
}

class VbrHeaderTest : public ::testing::Test {
 protected:
  std::string Encode(bool vbr) {
    LameEncConfig config = Config(44100, BE_MP3_MODE_JSTEREO, 128);
    config.bEnableVBR = vbr ? 1 : 0;
    config.bWriteVBRHeader = vbr ? 1 : 0;
    config.nVBRQuality = 4;
    return EncodeAll(config, test::SineSamples(0.5, 2, 44100));
  }
  test::TempFolder temp;
};

TEST_F(VbrHeaderTest, WritesTheXingAndLameHeaderIntoTheReservedFirstFrame) {
  std::string mp3 = Encode(true);
  test::Mp3FrameHeader first;
  ASSERT_TRUE(test::ParseMp3FrameHeader(reinterpret_cast<const uint8_t*>(mp3.data()), first));
  EXPECT_EQ(mp3.substr(0, first.length).find("Xing"), std::string::npos);  // only reserved so far
  // A tag in front of the stream is skipped; the bytes after the first frame stay as they were.
  std::string tag = std::string("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0');
  for (const std::string& prefix : {std::string(), tag}) {
    std::string path = temp / "vbr.mp3";
    test::WriteWholeFile(path, prefix + mp3 + "TAG");
    ASSERT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    std::string written = test::ReadWholeFile(path);
    ASSERT_EQ(written.size(), prefix.size() + mp3.size() + 3);
    EXPECT_EQ(written.substr(0, prefix.size()), prefix);
    std::string frame = written.substr(prefix.size(), first.length);
    EXPECT_NE(frame.find("Xing"), std::string::npos);
    EXPECT_NE(frame.find("LAME"), std::string::npos);
    EXPECT_EQ(written.substr(prefix.size() + first.length), mp3.substr(first.length) + "TAG");
  }
}

TEST_F(VbrHeaderTest, RefusesFilesWithoutTheReservedFrameAndLeavesThemAlone) {
  std::string vbr = Encode(true);
  const std::string noise(vbr.size(), 'x');
  std::string path = temp / "other.mp3";
  test::WriteWholeFile(path, noise);
  EXPECT_NE(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(test::ReadWholeFile(path), noise);
  EXPECT_NE(beWriteVBRHeader((temp / "missing.mp3").c_str()), BE_ERR_SUCCESSFUL);

  // A stream that reserved no frame leaves nothing to write.
  std::string cbr = Encode(false);
  test::WriteWholeFile(path, cbr);
  EXPECT_NE(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(test::ReadWholeFile(path), cbr);
}

}  // namespace
}  // namespace sonvarek
