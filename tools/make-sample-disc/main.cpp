// make-sample-disc: writes the deterministic sample disc image (a CUE sheet and its
// BIN file) that the tests, the demo and the benchmarks rip through the image drive.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "sample_disc.h"

namespace {

int Usage() {
  std::fprintf(stderr, "Usage: make-sample-disc [--data-track] OUTPUT.cue\n"
                       "Writes OUTPUT.cue and OUTPUT.bin (raw 2352-byte sectors).\n");
  return 64;
}

bool WriteDisc(const std::filesystem::path& cuePath, bool dataTrack) {
  using namespace sonvarek::sample;
  std::filesystem::path binPath = cuePath;
  binPath.replace_extension(".bin");
  std::vector<SampleTrack> layout = SampleLayout(dataTrack);
  std::ofstream bin(binPath, std::ios::binary | std::ios::trunc);
  for (size_t i = 0; bin && i < layout.size(); ++i) {
    std::vector<uint8_t> bytes = RenderTrack(layout, i);
    bin.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  bin.close();
  std::ofstream cue(cuePath, std::ios::trunc);
  cue << CueSheetText(layout, binPath.filename().string());
  cue.close();
  if (!bin || !cue) {
    std::fprintf(stderr, "make-sample-disc: cannot write %s: %s\n", cuePath.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool dataTrack = false;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--data-track") == 0) {
      dataTrack = true;
    } else if (output.empty() && argv[i][0] != '-') {
      output = argv[i];
    } else {
      return Usage();
    }
  }
  if (output.empty()) return Usage();
  return WriteDisc(output, dataTrack) ? 0 : 1;
}
