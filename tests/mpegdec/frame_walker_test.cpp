#include "mpegdec/frame_walker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mpegdec_test_support.h"

namespace sonvarek::mpegdec::test {
namespace {

using Kind = FrameStep::Kind;

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, one channel: 417 bytes.
const std::string kHeader("\xFF\xFB\x90\xC0", 4);
std::string Frame() { return kHeader + std::string(413, '\0'); }
// The same stream at 48 kHz: a header that does not confirm a 44.1 kHz frame.
const std::string kOtherRate("\xFF\xFB\x94\xC0", 4);
// A frame whose side information carries the "Info" tag of a CBR stream.
std::string InfoFrame() {
  std::string frame = Frame();
  frame.replace(4 + 17, 4, "Info");
  return frame;
}

FrameStep First(const std::string& bytes, bool atEnd, const FrameFilter& filter = FrameFilter{}) {
  FrameWalker walker(filter);
  return walker.Next(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), atEnd);
}

// Where the first frame is taken, and where it is not.
TEST(FrameWalker, TakesTheFirstFrameOnlyWhereWhatFollowsConfirmsIt) {
  const std::string junk(1000, '\x55');
  struct Case {
    const char* name;
    std::string bytes;
    bool atEnd;
    Kind kind;
    size_t skip;
  };
  const Case cases[] = {
      {"two frames", Frame() + Frame(), true, Kind::Frame, 0},
      {"junk before", junk + Frame() + Frame(), true, Kind::Frame, 1000},
      {"lone frame ending the input", Frame(), true, Kind::Frame, 0},
      {"lone frame, ID3v1 tag", Frame() + "TAG" + std::string(125, '\0'), true, Kind::Frame, 0},
      {"lone frame, APE tag", Frame() + "APETAGEX" + std::string(24, '\0'), true, Kind::Frame, 0},
      {"lone frame, junk", Frame() + junk, true, Kind::End, 1417},
      {"header, junk", kHeader + junk, true, Kind::End, 1004},
      {"other rate after", Frame() + kOtherRate + std::string(600, '\0'), true, Kind::End, 1021},
      {"false header in junk", kHeader + junk + Frame() + Frame(), true, Kind::Frame, 1004},
      {"Info frame stepped over", InfoFrame() + Frame() + Frame(), true, Kind::Frame, 417},
      {"Info frame alone", InfoFrame(), true, Kind::End, 417},
      {"lone frame, more to come", Frame(), false, Kind::More, 0},
      {"frame cut by the window", junk + Frame().substr(0, 300), false, Kind::More, 1000},
      {"junk, more to come", junk, false, Kind::More, 997},
  };
  for (const Case& c : cases) {
    const FrameStep step = First(c.bytes, c.atEnd);
    EXPECT_EQ(step.kind, c.kind) << c.name;
    EXPECT_EQ(step.skip, c.skip) << c.name;
  }
  // The job's filter refuses what it does not decode, confirmed or not.
  const std::string layer2("\xFF\xFD\x90\xC0", 4);  // MPEG-1 Layer II, 160 kbit/s, 44.1 kHz
  const std::string mpeg25("\xFF\xE3\x80\xC0", 4);  // MPEG-2.5 Layer III, 64 kbit/s, 11.025 kHz
  for (const std::string& header : {layer2, mpeg25}) {
    MpegHeader parsed;
    const int32_t length = ParseHeader(reinterpret_cast<const uint8_t*>(header.data()), 4, parsed);
    ASSERT_GT(length, 0);
    const std::string frame = header + std::string(static_cast<size_t>(length) - 4, '\0');
    EXPECT_EQ(First(frame + frame, true).kind, Kind::Frame);
    EXPECT_EQ(First(frame + frame, true, kMp3Frames).kind, Kind::End);
  }
}

// The frame starts a walk finds through windows of `window` bytes, refilled as the decoding
// job refills its buffer. Every tenth frame is taken as refused: the walk resynchronises from
// the next byte.
std::vector<size_t> WalkInWindows(const std::string& bytes, size_t window) {
  std::vector<size_t> frames;
  FrameWalker walker(kMp3Frames);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t at = 0;
  for (;;) {
    const size_t end = std::min(bytes.size(), at + window);
    const FrameStep step = walker.Next(data + at, end - at, end == bytes.size());
    at += step.skip;
    if (step.kind == Kind::End) return frames;
    if (step.kind == Kind::More) continue;
    frames.push_back(at);
    if (frames.size() % 10 == 0) {
      walker.Refused();
      ++at;
    } else {
      at += step.length;
    }
  }
}

// A stream walked through small windows gives the frames of the walk over the whole buffer:
// junk, lone headers and refused frames included.
TEST(FrameWalker, ASlidingWindowWalksAsTheWholeBuffer) {
  const std::vector<uint8_t> stream = IsoBitstream("l3-he_44khz");
  ASSERT_FALSE(stream.empty());
  std::string bytes(stream.begin(), stream.end());
  const std::vector<size_t> plain = WalkInWindows(bytes, bytes.size());
  ASSERT_GT(plain.size(), 100u);
  // A lone header and the start of another inside junk; and, where the resynchronisation
  // starts at a frame's end, junk that puts the next header across the end of the second
  // window of kFrameLookahead bytes.
  bytes.insert(plain[60], std::string(700, '\x55') + kHeader + std::string(50, '\x55') + kHeader.substr(0, 2));
  bytes.insert(plain[25], std::string(2 * kFrameLookahead - 2, '\x55'));
  const std::vector<size_t> whole = WalkInWindows(bytes, bytes.size());
  EXPECT_EQ(whole.size(), plain.size());
  for (size_t window = kFrameLookahead; window < kFrameLookahead + 64; ++window) {
    EXPECT_EQ(WalkInWindows(bytes, window), whole) << window;
  }
  EXPECT_EQ(WalkInWindows(bytes, 2500), whole);
}

}  // namespace
}  // namespace sonvarek::mpegdec::test
