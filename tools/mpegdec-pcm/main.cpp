// mpegdec-pcm FILE: decodes an MP3 file with the floating-point full-rate decoder and writes
// raw interleaved signed 16-bit little-endian PCM to standard output, with one line
// "rate channels frames" on standard error, so that its output can be compared with another
// decoder's.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "mpegdec/stream_walk.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mpegdec-pcm FILE\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "mpegdec-pcm: cannot open %s\n", argv[1]);
    return 1;
  }
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  using namespace sonvarek::mpegdec;
  const StreamDecodeResult decoded = DecodeStream(DecoderTable[0][0], data.data(), data.size());
  if (!decoded.initialised) {
    std::fprintf(stderr, "mpegdec-pcm: no decodable MPEG audio frame in %s\n", argv[1]);
    return 1;
  }
  std::fprintf(stderr, "%d %d %d\n", decoded.info.samprate, decoded.info.channels, decoded.frames);
  if (!decoded.pcm.empty() && std::fwrite(decoded.pcm.data(), 1, decoded.pcm.size(), stdout) != decoded.pcm.size()) return 1;
  return 0;
}
