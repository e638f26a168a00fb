#include "sample_disc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace sonvarek::sample {
namespace {

constexpr uint32_t kSectorBytes = 2352;
constexpr uint32_t kSamplesPerSector = 588;
constexpr double kRate = 44100.0;

// A fixed-seed generator, so the noise is the same on every run and platform.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  // Uniform in [−1, 1).
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};

struct Frame {
  double left = 0;
  double right = 0;
};

double Tone(double frequency, uint64_t sample) {
  return std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(sample) / kRate);
}

// A short fade at both ends keeps tones from starting with a click.
double Envelope(uint64_t sample, uint64_t total) {
  constexpr double kFade = 441.0;
  double in = static_cast<double>(sample) / kFade;
  double out = static_cast<double>(total - sample) / kFade;
  return std::clamp(std::min(in, out), 0.0, 1.0);
}

int16_t ToSample(double value) {
  double scaled = std::round(value * 32768.0);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

Frame ChordFrame(uint64_t n, Noise& noise) {
  double chord = Tone(440.0, n) + Tone(554.37, n) + Tone(659.25, n);
  return {0.22 * chord + 0.01 * noise.Next(), 0.22 * chord + 0.01 * noise.Next()};
}

Frame TwoToneFrame(uint64_t n, Noise&) { return {0.25 * Tone(1000.0, n), 0.25 * Tone(1500.0, n)}; }

Frame FramedFrame(uint64_t n, Noise& noise) {
  double sweep = Tone(220.0 + static_cast<double>(n) / 400.0, n);
  return {0.3 * sweep + 0.02 * noise.Next(), 0.3 * sweep - 0.02 * noise.Next()};
}

// Chords that change every four seconds over a little noise.
Frame LongFrame(uint64_t n, Noise& noise) {
  static constexpr double kRoots[] = {261.63, 349.23, 392.00, 220.00};
  double root = kRoots[(n / 176400) % 4];
  double chord = Tone(root, n) + Tone(root * 1.25, n) + Tone(root * 1.5, n);
  return {0.18 * chord + 0.03 * noise.Next(), 0.18 * chord + 0.03 * noise.Next()};
}

// A sine driven into clipping: both channels hit −32768 and 32767.
Frame ClippedFrame(uint64_t n, Noise& noise) {
  double wave = 1.6 * Tone(110.0, n) + 0.05 * noise.Next();
  return {wave, -wave};
}

using FrameSource = Frame (*)(uint64_t, Noise&);

void PutAudio(std::vector<uint8_t>& bytes, FrameSource source, uint64_t first, uint64_t count, uint32_t seed) {
  Noise noise(seed);
  for (uint64_t i = 0; i < count; ++i) {
    Frame frame = source(i, noise);
    double gain = Envelope(i, count);
    uint16_t left = static_cast<uint16_t>(ToSample(frame.left * gain));
    uint16_t right = static_cast<uint16_t>(ToSample(frame.right * gain));
    uint8_t* at = bytes.data() + static_cast<size_t>(first + i) * 4;
    at[0] = static_cast<uint8_t>(left);
    at[1] = static_cast<uint8_t>(left >> 8);
    at[2] = static_cast<uint8_t>(right);
    at[3] = static_cast<uint8_t>(right >> 8);
  }
}

uint8_t Bcd(uint32_t value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

// Mode 1 sectors: sync pattern, BCD address header, mode byte and a recognisable
// 2048-byte payload. The error detection and correction bytes are left zero: nothing
// in this system checks them.
void PutDataSectors(std::vector<uint8_t>& bytes, uint32_t firstSector, uint32_t count) {
  for (uint32_t s = 0; s < count; ++s) {
    uint8_t* sector = bytes.data() + static_cast<size_t>(s) * kSectorBytes;
    std::fill(sector + 1, sector + 11, uint8_t{0xFF});
    uint32_t frames = firstSector + s + 150;
    sector[12] = Bcd(frames / 4500);
    sector[13] = Bcd(frames / 75 % 60);
    sector[14] = Bcd(frames % 75);
    sector[15] = 1;
    char payload[64];
    int length = std::snprintf(payload, sizeof payload, "SONVAREK SAMPLE DISC DATA SECTOR %06u ", firstSector + s);
    for (size_t i = 0; i < 2048; ++i) sector[16 + i] = static_cast<uint8_t>(payload[i % static_cast<size_t>(length)]);
  }
}

std::string Msf(uint32_t sectors) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", sectors / 4500, sectors / 75 % 60, sectors % 75);
  return text;
}

}  // namespace

std::vector<SampleTrack> SampleLayout(bool dataTrack) {
  std::vector<SampleTrack> layout = {
      {"Chord", false, 14 * 75 + 23, 0},
      {"Two Tones", false, 4 * 75 + 10, 0},
      {"Framed By Silence", false, 13 * 75 + 5, 75},
      {"Changing Chords", false, 58 * 75 + 40, 0},
      {"Full Scale", false, 20 * 75 + 7, 0},
  };
  if (dataTrack) layout.push_back({"Data", true, 4 * 75, 0});
  return layout;
}

std::vector<uint8_t> RenderTrack(const std::vector<SampleTrack>& layout, size_t index) {
  const SampleTrack& track = layout[index];
  uint32_t firstSector = 0;
  for (size_t i = 0; i < index; ++i) firstSector += layout[i].sectors;
  std::vector<uint8_t> bytes(static_cast<size_t>(track.sectors) * kSectorBytes, 0);
  if (track.data) {
    PutDataSectors(bytes, firstSector, track.sectors);
    return bytes;
  }
  uint64_t samples = static_cast<uint64_t>(track.sectors) * kSamplesPerSector;
  uint32_t seed = 0x9E3779B9u + static_cast<uint32_t>(index);
  static constexpr FrameSource kSources[] = {ChordFrame, TwoToneFrame, FramedFrame, LongFrame, ClippedFrame};
  if (index == 2) {
    // Three seconds of digital silence (one of them the INDEX 00 pregap), sound, then
    // three seconds of silence again.
    uint64_t silence = 3 * 75 * kSamplesPerSector;
    PutAudio(bytes, kSources[index], silence, samples - 2 * silence, seed);
  } else {
    PutAudio(bytes, kSources[index], 0, samples, seed);
  }
  return bytes;
}

std::string CueSheetText(const std::vector<SampleTrack>& layout, const std::string& binName) {
  std::string text = "REM Sonvarek Maker sample disc\nPERFORMER \"Sonvarek Maker\"\nTITLE \"Sample Disc\"\n";
  text += "FILE \"" + binName + "\" BINARY\n";
  uint32_t sector = 0;
  for (size_t i = 0; i < layout.size(); ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02zu %s\n", i + 1, layout[i].data ? "MODE1/2352" : "AUDIO");
    text += line;
    text += "    TITLE \"" + layout[i].title + "\"\n";
    if (layout[i].pregapSectors > 0) text += "    INDEX 00 " + Msf(sector) + "\n";
    text += "    INDEX 01 " + Msf(sector + layout[i].pregapSectors) + "\n";
    sector += layout[i].sectors;
  }
  return text;
}

}  // namespace sonvarek::sample
