#pragma once

#include <cstddef>
#include <cstdint>

#include "mpegdec/mpeg_header.h"

namespace sonvarek::mpegdec {

// FrameFilter::layer for frames of every layer.
inline constexpr int32_t kAnyLayer = 0;

// Which headers a walk takes for frame starts.
struct FrameFilter {
  int32_t layer = kAnyLayer;  // a LayerCode, or kAnyLayer
  bool freeFormat = true;     // whether free-format headers (bit-rate index 0) count
  bool mpeg25 = true;         // whether MPEG-2.5 headers (11-bit sync) count
};

// What the MP3 decoding job decodes: Layer III of MPEG-1 or MPEG-2 at a table bit rate. Not
// MPEG-2.5: its streams keep audio in the top subband, which the job's frequency limit leaves
// out, so they would not decode right.
inline constexpr FrameFilter kMp3Frames{kLayerIII, false, false};

// The longest frame at a table bit rate (Layer II, 384 kbit/s, 32 kHz, padded) and the bytes a
// walk may look at from a table-rate frame's start before it decides: the frame and the next
// frame's header or the start of a tag after it. A free-format frame needs kHeaderSearchWindow.
inline constexpr size_t kLongestTableFrame = 1729;
inline constexpr size_t kFrameLookahead = kLongestTableFrame + 8;

// What a walk found in a window of input bytes.
struct FrameStep {
  enum class Kind {
    Frame,  // a whole frame of `length` bytes starts `skip` bytes into the window
    More,   // the `skip` bytes before the first undecided position hold no frame; more input
            // after the window is needed to decide there
    End,    // no frame in the window (all `skip` of its bytes) and the input ends there
  };
  Kind kind = Kind::End;
  size_t skip = 0;
  size_t length = 0;
};

// The first frame in the window [data, data + size) whose header passes `filter`, decodes
// (DecodeHeaderFields, and for free format ParseHeader's length search) and is confirmed: one
// frame length later there is the header of a frame of the same stream (SameStream), or a
// trailing tag (ID3v1 "TAG", APE "APETAGEX"), or, when `atEnd` says the input ends with the
// window, exactly the end of the input. So a lone frame is taken only when it ends the file or
// a tag follows it, and a header followed by anything else is passed over. VBR information
// frames count as frames here. `header` receives the frame's header and `frameBytes` what
// ParseHeader returns for it (the length without padding).
FrameStep FindConfirmedFrame(const uint8_t* data, size_t size, bool atEnd, const FrameFilter& filter,
                             MpegHeader& header, int32_t& frameBytes);

// Size the 10-byte ID3v2 header at `head` announces for its whole tag (header, body and
// footer), 0 when it is no ID3v2 header or its size is not synchsafe. Only the header is
// read: the tag's frames are never parsed.
uint64_t Id3v2AnnouncedSize(const uint8_t* head);

// True when the frame at `frame` is a Xing/Info VBR information frame rather than audio.
bool IsVbrInfoFrame(const uint8_t* frame, size_t available, const MpegHeader& header);

// The walk from frame to frame of one stream, over windows of its input that the caller
// slides along (a whole buffer, or a streaming buffer it refills). It keeps only what it learnt
// of the stream, never a pointer to the input.
//
// Use: offer the window starting where the last step left off; consume `skip` bytes, and on a
// Frame decode it and consume the bytes the decoder took. On More, refill so that the window
// holds at least kFrameLookahead bytes (kHeaderSearchWindow for free format) and offer it again.
// After a frame the decoder refuses, call Refused() and consume one byte: the walk then
// resynchronises byte by byte.
//
// The first frame is the first confirmed frame (FindConfirmedFrame) that is not a VBR
// information frame; VBR information frames before it are stepped over. Its header and length
// are the stream's (for the decoder's Init). After that, the frame right where the previous one
// ended is taken when its header passes the filter and has the stream's layer, whatever else it
// says (the decoder refuses what does not belong); anywhere else, after skipped bytes or a
// refused frame, only a confirmed frame of the stream's layer is taken.
class FrameWalker {
 public:
  explicit FrameWalker(const FrameFilter& filter) : filter_(filter) {}

  // `atEnd`: the input ends with the window.
  FrameStep Next(const uint8_t* data, size_t size, bool atEnd);
  void Refused() { inStep_ = false; }

  bool FoundStream() const { return found_; }
  // The first audio frame's header and ParseHeader's length for it, once FoundStream().
  const MpegHeader& StreamHeader() const { return header_; }
  int32_t StreamFrameBytes() const { return frameBytes_; }

 private:
  FrameStep FirstFrame(const uint8_t* data, size_t size, bool atEnd);
  FrameStep Resync(const uint8_t* data, size_t size, bool atEnd);
  // The whole length of the frame whose header is `header`, 0 when it has none.
  size_t WholeLength(const MpegHeader& header) const;

  FrameFilter filter_;
  bool found_ = false;
  bool inStep_ = false;  // the window starts where the last frame ended
  MpegHeader header_;
  int32_t frameBytes_ = 0;
};

}  // namespace sonvarek::mpegdec
