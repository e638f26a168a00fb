#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace sonvarek::test {

// One MPEG audio Layer III frame header.
struct Mp3FrameHeader {
  int version = 0;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
  int bitRate = 0;  // kbit/s
  int sampleRate = 0;
  int padding = 0;
  int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  bool privateBit = false;
  bool copyright = false;
  bool original = false;
  size_t length = 0;  // bytes, header included
  int samples = 0;    // per channel
};

// The Layer III header at `p`, or false when the four bytes are not one.
inline bool ParseMp3FrameHeader(const uint8_t* p, Mp3FrameHeader& header) {
  static constexpr int kRates1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static constexpr int kRates2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
  static constexpr int kSampleRates1[] = {44100, 48000, 32000, 0};
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (p[1] >> 3) & 3;
  if (versionBits == 1 || ((p[1] >> 1) & 3) != 1) return false;  // reserved version, or not Layer III
  header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  const int rateIndex = p[2] >> 4;
  const int sampleIndex = (p[2] >> 2) & 3;
  if (rateIndex == 0 || rateIndex == 15 || sampleIndex == 3) return false;
  header.bitRate = header.version == 1 ? kRates1[rateIndex] : kRates2[rateIndex];
  const int divisor = header.version == 1 ? 1 : header.version == 2 ? 2 : 4;
  header.sampleRate = kSampleRates1[sampleIndex] / divisor;
  header.padding = (p[2] >> 1) & 1;
  header.privateBit = (p[2] & 1) != 0;
  header.channelMode = p[3] >> 6;
  header.copyright = (p[3] & 0x08) != 0;
  header.original = (p[3] & 0x04) != 0;
  header.samples = header.version == 1 ? 1152 : 576;
  const int slot = header.version == 1 ? 144 : 72;
  header.length = static_cast<size_t>(slot * header.bitRate * 1000 / header.sampleRate + header.padding);
  return true;
}

// Frames walked one after the other from `begin` to `end`.
struct Mp3Walk {
  bool complete = false;  // every frame parsed and the last one ends exactly at `end`
  std::vector<Mp3FrameHeader> frames;
  std::string problem;
};

inline Mp3Walk WalkMp3Frames(const std::string& bytes, size_t begin, size_t end) {
  Mp3Walk walk;
  size_t position = begin;
  while (position + 4 <= end) {
    Mp3FrameHeader header;
    if (!ParseMp3FrameHeader(reinterpret_cast<const uint8_t*>(bytes.data()) + position, header)) {
      walk.problem = "no frame header at byte " + std::to_string(position);
      return walk;
    }
    walk.frames.push_back(header);
    position += header.length;
  }
  walk.complete = position == end;
  if (!walk.complete) walk.problem = "the last frame ends at " + std::to_string(position) + ", not " +
                                     std::to_string(end);
  return walk;
}

// Size of a leading ID3v2 tag (header, body, footer), 0 without one.
inline size_t Id3v2TagSize(const std::string& bytes) {
  if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return 0;
  size_t body = 0;
  for (int i = 6; i < 10; ++i) body = (body << 7) | (static_cast<uint8_t>(bytes[static_cast<size_t>(i)]) & 0x7F);
  return 10 + body + ((static_cast<uint8_t>(bytes[5]) & 0x10) ? 10 : 0);
}

// `seconds` of a stereo or mono sine at 16-bit, interleaved.
inline std::vector<int16_t> SineSamples(double seconds, int channels, int rate, double hz = 440.0) {
  const auto frames = static_cast<size_t>(seconds * rate);
  std::vector<int16_t> samples;
  samples.reserve(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      double value = std::sin(2.0 * M_PI * hz * (c + 1) * static_cast<double>(i) / rate);
      samples.push_back(static_cast<int16_t>(value * 12000));
    }
  }
  return samples;
}

}  // namespace sonvarek::test
