// Damaged and unusual streams: every frame decodes or is refused, and nothing reads or writes
// outside its buffers (the suite runs under AddressSanitizer and UndefinedBehaviorSanitizer).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "mpegdec/decoder.h"
#include "mpegdec_fuzz_input.h"
#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(MpegdecRobustness, EveryRobustnessStreamDecodesOrIsRefusedFrameByFrame) {
  const auto files = FilesIn(VectorPath("robustness"), ".bit");
  ASSERT_GE(files.size(), 40u);
  struct Options {
    int row, column;
    int32_t reduction, convert, freq_limit;
  };
  const Options options[] = {{0, 0, 0, 0, 24000}, {0, 0, 1, 1, 24000}, {0, 0, 2, 9, 0},  {0, 0, 0, 3, 5000},
                             {1, 0, 0, 0, 24000}, {0, 1, 0, 4, 24000}, {1, 1, 0, 9, 0}, {0, 1, 0, 14, 24000}};
  int decoded_somewhere = 0;
  for (const fs::path& file : files) {
    const auto data = ReadFileBytes(file);
    for (const Options& o : options) {
      const StreamDecodeResult result =
          DecodeStream(DecoderTable[o.row][o.column], data.data(), data.size(), o.reduction, o.convert, o.freq_limit);
      if (!result.initialised) continue;
      // Full rate: every frame fills outvalues; 8 kHz: at most that.
      const size_t most = static_cast<size_t>(result.frames) * static_cast<size_t>(result.info.outvalues) *
                          static_cast<size_t>(result.info.bits / 8);
      if (o.column == 0) {
        EXPECT_EQ(result.pcm.size(), most) << file.filename();
      } else {
        EXPECT_LE(result.pcm.size(), most) << file.filename();
      }
      decoded_somewhere += result.frames > 0;
    }
  }
  EXPECT_GT(decoded_somewhere, 0);
}

// Tags in odd places do not hide the audio frames around them; a file of nothing but a VBR
// information frame holds no audio.
TEST(MpegdecRobustness, TaggedStreamsStillDecodeTheirAudio) {
  struct Case {
    const char* name;
    int32_t frames;
  };
  const Case cases[] = {
      {"l3-nonstandard-id3v1.bit", 1},          {"l3-nonstandard-id3v2.bit", 1},
      {"l3-nonstandard-apetag.bit", 1},         {"l3-nonstandard-id3v1-apetag.bit", 1},
      {"l3-nonstandard-vbrtag-corrupted.bit", 0}, {"l3-nonstandard-vbrtag-empty.bit", 0},
      {"l3-nonstandard-vbrtag-only.bit", 0},    {"l3-nonstandard-sin1k0db_lame_vbrtag.bit", 316},
  };
  for (const Case& c : cases) {
    const auto data = ReadFileBytes(VectorPath(std::string("robustness/") + c.name));
    ASSERT_FALSE(data.empty()) << c.name;
    EXPECT_EQ(DecodeBuffer(data).frames, c.frames) << c.name;
  }
}

// Each frame is offered in a buffer of exactly the bytes available, from none to all of it:
// a frame that does not fit is refused without a read past the buffer's end.
TEST(MpegdecRobustness, TruncatedFramesAreRefusedWithoutReadingPastTheInput) {
  std::vector<fs::path> files = FilesIn(VectorPath("robustness"), ".bit");
  for (const char* name : {"iso/l3-hecommon.bit", "iso/l3-he_free.bit", "iso/M2L3_compl24.bit"}) files.push_back(VectorPath(name));
  std::vector<uint8_t> pcm(kMaxFrameOutputBytes);
  Decoder decoder;
  for (const fs::path& file : files) {
    const auto data = ReadFileBytes(file);
    size_t at = FindLayer3Frame(data.data(), data.size(), Id3v2TagSize(data.data(), data.size()));
    MpegHeader header;
    const int32_t init_length =
        at < data.size() ? ParseHeader(data.data() + at, static_cast<int32_t>(std::min<size_t>(data.size() - at, 10000)), header) : 0;
    if (init_length <= 0 || DecoderTable[0][0].Init(decoder, header, init_length, 0, 0, 0, 24000) == 0) continue;
    for (int frame = 0; frame < 6 && at + 4 <= data.size(); ++frame) {
      MpegHeader frame_header;
      const int32_t length = ParseHeader(data.data() + at, static_cast<int32_t>(std::min<size_t>(data.size() - at, 10000)), frame_header);
      if (length <= 0) break;
      const size_t whole = std::min<size_t>(static_cast<size_t>(length + frame_header.pad), data.size() - at);
      for (size_t available = 0; available <= whole; ++available) {
        std::vector<uint8_t> exact(data.begin() + static_cast<std::ptrdiff_t>(at),
                                   data.begin() + static_cast<std::ptrdiff_t>(at + available));
        const FrameResult result = DecoderTable[0][0].Decode(decoder, exact.data(), static_cast<int32_t>(available), pcm.data());
        ASSERT_LE(result.in_bytes, static_cast<int32_t>(available)) << file.filename() << " frame " << frame;
      }
      at += whole;
    }
  }
}

// The fuzz harness's kept corpus (scripts/fuzz mpeg_decoder), replayed as a regression test,
// together with the robustness streams under a few option bytes.
TEST(MpegdecRobustness, FuzzCorpusReplaysCleanly) {
  const auto corpus = FilesIn(fs::path(SONVAREK_SOURCE_DIR) / "tests/mpegdec/fuzz_corpus", "");
  EXPECT_FALSE(corpus.empty());
  for (const fs::path& file : corpus) {
    const auto data = ReadFileBytes(file);
    FuzzDecodeInput(data.data(), data.size());
  }
  for (const fs::path& file : FilesIn(VectorPath("robustness"), ".bit")) {
    auto data = ReadFileBytes(file);
    data.insert(data.begin(), 2, 0);
    for (uint8_t option : {0x00, 0x35, 0xDA, 0x17})
      for (uint8_t variant : {0x00, 0x01, 0x32, 0x13}) {
        data[0] = option;
        data[1] = variant;
        FuzzDecodeInput(data.data(), data.size());
      }
  }
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
