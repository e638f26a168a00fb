// tools/mpegdec-pcm: skips a leading ID3v2 tag, writes raw 16-bit PCM to standard output and
// "rate channels frames" to standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

namespace fs = std::filesystem;

TEST(MpegdecPcmTool, SkipsAnId3v2TagAndWritesWhatTheDecoderGives) {
  const auto stream = IsoBitstream("l3-he_44khz");
  ASSERT_FALSE(stream.empty());
  TempFolder folder;
  const fs::path input = folder.path() / "tagged.mp3";
  {
    // ID3v2.3 header with a 200-byte body of zeros (the size is coded 7 bits a byte).
    std::ofstream out(input, std::ios::binary);
    const char header[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0x48};
    out.write(header, sizeof header);
    out.write(std::string(200, '\0').data(), 200);
    out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
  }
  const fs::path tool = fs::path(SONVAREK_BINARY_DIR) / "tools/mpegdec-pcm/mpegdec-pcm";
  const fs::path pcm = folder.path() / "out.pcm";
  const fs::path info = folder.path() / "info.txt";
  const std::string command = "'" + tool.string() + "' '" + input.string() + "' > '" + pcm.string() + "' 2> '" + info.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const StreamDecodeResult expected = DecodeBuffer(stream);
  EXPECT_EQ(ReadFileBytes(pcm), expected.pcm);
  std::ifstream line_in(info);
  std::string line;
  std::getline(line_in, line);
  EXPECT_EQ(line, "44100 1 " + std::to_string(expected.frames));
  EXPECT_GT(expected.frames, 400);
}

TEST(MpegdecPcmTool, FailsOnAFileWithoutFrames) {
  TempFolder folder;
  const fs::path input = folder.path() / "empty.mp3";
  std::ofstream(input) << "no audio here";
  const fs::path tool = fs::path(SONVAREK_BINARY_DIR) / "tools/mpegdec-pcm/mpegdec-pcm";
  const std::string command = "'" + tool.string() + "' '" + input.string() + "' > /dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
