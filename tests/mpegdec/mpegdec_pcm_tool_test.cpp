// tools/mpegdec-pcm: skips a leading ID3v2 tag, writes raw 16-bit PCM to standard output and
// "rate channels frames" to standard error; decodes as it goes, with the same bytes as a
// whole-buffer decoding, and fails loudly when its output cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

namespace fs = std::filesystem;

const fs::path kTool = fs::path(SONVAREK_BINARY_DIR) / "tools/mpegdec-pcm/mpegdec-pcm";

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string FirstLine(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

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
  const fs::path pcm = folder.path() / "out.pcm";
  const fs::path info = folder.path() / "info.txt";
  const std::string command = Quoted(kTool) + " " + Quoted(input) + " > " + Quoted(pcm) + " 2> " + Quoted(info);
  ASSERT_EQ(std::system(command.c_str()), 0);

  const StreamDecodeResult expected = DecodeBuffer(stream);
  EXPECT_EQ(ReadFileBytes(pcm), expected.pcm);
  EXPECT_EQ(FirstLine(info), "44100 1 " + std::to_string(expected.frames));
  EXPECT_GT(expected.frames, 400);
}

// Junk between two copies of a stream: the tool resynchronises exactly as the whole-buffer
// walk does, whether it maps a file or reads a pipe. The junk holds a lone frame
// of the stream's kind that no frame follows, which resynchronisation passes over.
TEST(MpegdecPcmTool, ResynchronisesAsTheWholeBufferWalkFromAFileOrAPipe) {
  std::vector<uint8_t> damaged = IsoBitstream("l3-he_44khz");
  ASSERT_FALSE(damaged.empty());
  const std::vector<uint8_t> copy = damaged;
  std::vector<uint8_t> junk(5 + 417 + 3, 0);
  const uint8_t lone_header[] = {0xFF, 0xFB, 0x90, 0x00};  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: 417 bytes
  std::copy(std::begin(lone_header), std::end(lone_header), junk.begin() + 5);
  damaged.insert(damaged.end(), junk.begin(), junk.end());
  damaged.insert(damaged.end(), copy.begin(), copy.end());
  const StreamDecodeResult expected = DecodeBuffer(damaged);
  ASSERT_GT(expected.resyncs, 0) << "the junk must make the walk resynchronise";
  EXPECT_EQ(expected.frames, 2 * DecodeBuffer(copy).frames) << "the lone frame is no frame of the stream";

  TempFolder folder;
  const fs::path input = folder.path() / "damaged.mp3";
  WriteBytes(input, damaged);
  const fs::path pcm = folder.path() / "out.pcm";
  const fs::path info = folder.path() / "info.txt";
  const std::string redirections = " > " + Quoted(pcm) + " 2> " + Quoted(info);
  for (const std::string& command : {Quoted(kTool) + " " + Quoted(input) + redirections,
                                     "cat " + Quoted(input) + " | " + Quoted(kTool) + " /dev/stdin" + redirections}) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(ReadFileBytes(pcm), expected.pcm) << command;
    EXPECT_EQ(FirstLine(info), "44100 1 " + std::to_string(expected.frames)) << command;
  }
}

// A full disk, both with more output than the tool buffers (a write fails on the way) and with
// less (only the final flush fails): never a success.
TEST(MpegdecPcmTool, FailsWithAMessageWhenTheOutputCannotBeWritten) {
  const std::vector<uint8_t> stream = IsoBitstream("l3-he_44khz");  // about 1 MB of PCM
  ASSERT_GT(stream.size(), 2000u);
  TempFolder folder;
  const fs::path input = folder.path() / "stream.mp3";
  const fs::path errors = folder.path() / "errors.txt";
  for (const size_t bytes : {stream.size(), size_t{2000}}) {  // 2000 bytes: about 40 kB of PCM
    WriteBytes(input, std::vector<uint8_t>(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(bytes)));
    const std::string command = Quoted(kTool) + " " + Quoted(input) + " > /dev/full 2> " + Quoted(errors);
    EXPECT_NE(std::system(command.c_str()), 0) << bytes;
    EXPECT_EQ(FirstLine(errors), "mpegdec-pcm: cannot write the PCM: No space left on device") << bytes;
  }
}

TEST(MpegdecPcmTool, FailsOnAFileWithoutFrames) {
  TempFolder folder;
  const fs::path input = folder.path() / "empty.mp3";
  std::ofstream(input) << "no audio here";
  const std::string command = Quoted(kTool) + " " + Quoted(input) + " > /dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
