// Decodes 5-minute MPEG-1 stereo 44.1 kHz streams frame by frame into memory with the
// floating-point full-rate variant: Layer III (128 kbit/s CBR, 320 kbit/s CBR, lame -V 2 VBR)
// and Layer II (twolame at 192 and 384 kbit/s). The streams are made once with lame and
// twolame from a generated signal and kept in
// $MPEGDEC_BENCH_DIR (default: data/ beside this program).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mpegdec/stream_walk.h"

namespace {

namespace fs = std::filesystem;
using namespace sonvarek::mpegdec;

constexpr int kRate = 44100;
constexpr int kSeconds = 300;

fs::path DataFolder() {
  const char* folder = std::getenv("MPEGDEC_BENCH_DIR");
  return folder != nullptr ? fs::path(folder) : fs::path(MPEGDEC_BENCH_DEFAULT_DIR);
}

// Music-like material: a chord that changes every half second over a bass line, noise bursts
// and clicks, so that the encoder uses all block types, joint stereo and a full reservoir.
void WriteSignal(const fs::path& path) {
  const double pi = std::acos(-1.0);
  const uint32_t frames = kRate * kSeconds;
  std::ofstream out(path, std::ios::binary);
  auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i))); };
  auto put16 = [&](uint16_t v) { out.put(static_cast<char>(v)); out.put(static_cast<char>(v >> 8)); };
  out.write("RIFF", 4);
  put32(36 + frames * 4);
  out.write("WAVEfmt ", 8);
  put32(16);
  put16(1);
  put16(2);
  put32(kRate);
  put32(kRate * 4);
  put16(4);
  put16(16);
  out.write("data", 4);
  put32(frames * 4);
  const double roots[8] = {110.0, 146.8, 130.8, 98.0, 164.8, 123.5, 87.3, 196.0};
  uint32_t noise = 1;
  std::vector<char> block;
  block.reserve(4 * 4096);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const int bar = static_cast<int>(t * 2.0);
    const double root = roots[bar % 8];
    const double phase = t - bar * 0.5;
    double left = 0.0, right = 0.0;
    for (int h = 1; h <= 12; ++h) {
      const double a = 0.12 / h * std::exp(-phase * 2.0);
      left += a * std::sin(2 * pi * root * h * t);
      right += a * std::sin(2 * pi * root * 1.5 * h * t + 0.3 * h);
    }
    noise = noise * 1664525u + 1013904223u;
    const double white = static_cast<double>(noise >> 8) / (1 << 24) - 0.5;
    const double burst = (bar % 3 == 0 && phase < 0.1) ? 0.3 : 0.03;
    left += burst * white;
    right += burst * white * 0.7;
    if (phase < 0.002) left += 0.5 * std::sin(2 * pi * 3000.0 * phase);
    for (double v : {left, right}) {
      const auto s = static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v * 0.8)) * 32767.0));
      block.push_back(static_cast<char>(s & 0xFF));
      block.push_back(static_cast<char>((s >> 8) & 0xFF));
    }
    if (block.size() >= 4 * 4096) {
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
      block.clear();
    }
  }
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

struct Stream {
  const char* benchmark;  // Layer3Decode/..., Layer2Decode/...
  const char* file;
  const char* encoder;    // command before the input and output paths
};
const Stream kStreams[] = {
    {"Layer3Decode/cbr128", "cbr128.mp3", "lame --quiet -b 128"},
    {"Layer3Decode/cbr320", "cbr320.mp3", "lame --quiet -b 320"},
    {"Layer3Decode/vbr_v2", "vbr_v2.mp3", "lame --quiet -V 2"},
    {"Layer2Decode/l2_192", "l2_192.mp2", "twolame --quiet -b 192"},
    {"Layer2Decode/l2_384", "l2_384.mp2", "twolame --quiet -b 384"},
};

fs::path StreamPath(const Stream& stream) { return DataFolder() / stream.file; }

bool MakeStreams() {
  fs::create_directories(DataFolder());
  const fs::path wav = DataFolder() / "signal.wav";
  for (const Stream& stream : kStreams) {
    if (fs::exists(StreamPath(stream))) continue;
    if (!fs::exists(wav)) WriteSignal(wav);
    const std::string command = std::string(stream.encoder) + " '" + wav.string() + "' '" + StreamPath(stream).string() + "'";
    if (std::system(command.c_str()) != 0) return false;
  }
  std::error_code ignored;
  fs::remove(wav, ignored);
  return true;
}

// The frames as the MP3 decoding job walks them (FrameWalker), each frame's PCM handed on.
void BM_DecodeStream(benchmark::State& state, const Stream* stream) {
  std::ifstream file(StreamPath(*stream), std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const DecoderVariant& decoder = DecoderVariantFor(Arithmetic::Float, OutputRate::Full);
  const PcmSink take = [](const uint8_t* pcm, size_t, size_t) {
    benchmark::DoNotOptimize(pcm);
    return true;
  };
  int64_t frames = 0;
  for (auto _ : state) {
    const StreamDecodeResult walk = WalkStream(decoder, data.data(), data.size(), kFullRate, kKeepChannels, kFullBandLimit, take);
    if (!walk.initialised) {
      state.SkipWithError("no stream");
      return;
    }
    frames += walk.frames;
  }
  state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(frames) * 1152.0 / kRate, benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  if (!MakeStreams()) {
    std::fprintf(stderr, "mpegdec_bench: making the streams with lame and twolame failed\n");
    return 1;
  }
  for (const Stream& stream : kStreams)
    benchmark::RegisterBenchmark(stream.benchmark, BM_DecodeStream, &stream)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
