// Every input the fuzzers kept, and every input that once found a fault, replayed through
// the same harness functions in the normal (sanitized) test run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_harness.h"

namespace sonvarek::fuzz {
namespace {

namespace fs = std::filesystem;

struct Replay {
  const char* harness;
  HarnessFunction function;
  std::vector<const char*> folders;  // under the source tree; the corpus first
};

// The harness's name in test listings rather than the record's bytes.
void PrintTo(const Replay& replay, std::ostream* out) { *out << replay.harness; }

const Replay kReplays[] = {
    {"profile_file", FuzzProfileFile, {"tests/fuzz/corpus/profile_file", "tests/fuzz/regressions/profile_file"}},
    {"wav_header", FuzzWavHeader, {"tests/fuzz/corpus/wav_header", "tests/fuzz/regressions/wav_header"}},
    {"wav_normalizer", FuzzWavNormalizer, {"tests/fuzz/corpus/wav_normalizer", "tests/fuzz/regressions/wav_normalizer"}},
    {"mp3_encoding", FuzzMp3Encoding, {"tests/fuzz/corpus/mp3_encoding", "tests/fuzz/regressions/mp3_encoding"}},
    {"cue_sheet", FuzzCueSheet, {"tests/fuzz/corpus/cue_sheet", "tests/fuzz/regressions/cue_sheet"}},
    {"disc_image", FuzzDiscImage, {"tests/fuzz/corpus/disc_image", "tests/fuzz/regressions/disc_image"}},
    {"disc_toc", FuzzDiscToc, {"tests/fuzz/corpus/disc_toc", "tests/fuzz/regressions/disc_toc"}},
    {"sense_data", FuzzSenseData, {"tests/fuzz/corpus/sense_data", "tests/fuzz/regressions/sense_data"}},
    {"cddb_reply", FuzzCddbReply, {"tests/fuzz/corpus/cddb_reply", "tests/fuzz/regressions/cddb_reply"}},
    {"mp3_decoding", FuzzMp3Decoding, {"tests/fuzz/corpus/mp3_decoding", "tests/fuzz/regressions/mp3_decoding"}},
    {"mpeg_decoder", FuzzMpegDecoder, {"tests/mpegdec/fuzz_corpus", "tests/fuzz/regressions/mpeg_decoder"}},
};

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzReplay : public ::testing::TestWithParam<Replay> {};

TEST_P(FuzzReplay, EveryKeptInputPassesTheHarness) {
  const Replay& replay = GetParam();
  size_t replayed = 0;
  for (const char* folder : replay.folders) {
    for (const fs::path& file : FilesIn(fs::path(SONVAREK_SOURCE_DIR) / folder)) {
      std::ifstream stream(file, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(file.string());
      replay.function(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  // A harness without a corpus would pass while checking nothing.
  EXPECT_GT(replayed, 0u) << replay.harness;
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, ::testing::ValuesIn(kReplays),
                         [](const ::testing::TestParamInfo<Replay>& info) { return std::string(info.param.harness); });

}  // namespace
}  // namespace sonvarek::fuzz
