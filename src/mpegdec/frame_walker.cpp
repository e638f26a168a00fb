#include "mpegdec/frame_walker.h"

#include <algorithm>
#include <cstring>

namespace sonvarek::mpegdec {
namespace {

// Whether what follows a candidate frame vouches for it.
enum class Confirmation { Yes, No, Undecided };

bool Passes(const FrameFilter& filter, const MpegHeader& header) {
  return (filter.layer == kAnyLayer || header.option == filter.layer) && (filter.freeFormat || header.br_index != 0) &&
         (filter.mpeg25 || header.sync == 1);
}

bool StartsWith(const uint8_t* bytes, size_t available, const char* text) {
  const size_t length = std::strlen(text);
  return available >= length && std::memcmp(bytes, text, length) == 0;
}

// Tags that end files after the last frame.
bool IsTrailingTag(const uint8_t* bytes, size_t available) {
  return StartsWith(bytes, available, "TAG") || StartsWith(bytes, available, "APETAGEX");
}

// What stands `next` bytes into the window, right after a candidate frame with `header`.
Confirmation ConfirmAt(const uint8_t* data, size_t size, size_t next, bool atEnd, const MpegHeader& header) {
  if (next > size) return atEnd ? Confirmation::No : Confirmation::Undecided;
  const size_t rest = size - next;
  if (rest == 0) return atEnd ? Confirmation::Yes : Confirmation::Undecided;
  MpegHeader following;
  if (rest >= 4 && DecodeHeaderFields(data + next, following) && SameStream(header, following)) return Confirmation::Yes;
  if (IsTrailingTag(data + next, rest)) return Confirmation::Yes;
  // "APETAGEX" needs eight bytes to be told from anything else.
  if (rest < 8 && !atEnd) return Confirmation::Undecided;
  return Confirmation::No;
}

FrameStep More(size_t skip) { return {FrameStep::Kind::More, skip, 0}; }
FrameStep End(size_t size) { return {FrameStep::Kind::End, size, 0}; }

// Where a window without a decision ends: the last three bytes may start a header.
FrameStep Undecided(size_t size, bool atEnd) { return atEnd ? End(size) : More(size >= 3 ? size - 3 : 0); }

}  // namespace

uint64_t Id3v2AnnouncedSize(const uint8_t* head) {
  if (std::memcmp(head, "ID3", 3) != 0) return 0;
  uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (head[i] & 0x80) return 0;
    body = body << 7 | head[i];
  }
  const uint64_t footer = (head[5] & 0x10) ? 10 : 0;
  return 10 + body + footer;
}

bool IsVbrInfoFrame(const uint8_t* frame, size_t available, const MpegHeader& header) {
  const size_t offset = 4 + static_cast<size_t>(HeaderLayer3SideInfoBytes(header));
  if (available < offset + 4) return false;
  return std::memcmp(frame + offset, "Xing", 4) == 0 || std::memcmp(frame + offset, "Info", 4) == 0;
}

FrameStep FindConfirmedFrame(const uint8_t* data, size_t size, bool atEnd, const FrameFilter& filter,
                             MpegHeader& header, int32_t& frameBytes) {
  for (size_t at = 0; at + 4 <= size; ++at) {
    if (data[at] != 0xFF) continue;
    MpegHeader candidate;
    if (!DecodeHeaderFields(data + at, candidate) || !Passes(filter, candidate)) continue;
    const size_t available = size - at;
    // A free-format length is searched for over the whole window ParseHeader looks at.
    if (candidate.br_index == 0 && !atEnd && available < static_cast<size_t>(kHeaderSearchWindow)) return More(at);
    const int32_t bytes =
        ParseHeader(data + at, static_cast<int32_t>(std::min<size_t>(available, kHeaderSearchWindow)), candidate);
    if (bytes <= 0) continue;
    const int32_t whole = bytes + candidate.pad * HeaderSlotBytes(candidate);
    const auto length = static_cast<size_t>(whole);
    switch (ConfirmAt(data, size, at + length, atEnd, candidate)) {
      case Confirmation::Yes:
        header = candidate;
        frameBytes = bytes;
        return {FrameStep::Kind::Frame, at, length};
      case Confirmation::Undecided: return More(at);
      case Confirmation::No: break;
    }
  }
  return Undecided(size, atEnd);
}

FrameStep FrameWalker::Next(const uint8_t* data, size_t size, bool atEnd) {
  if (!found_) return FirstFrame(data, size, atEnd);
  if (inStep_) {
    if (size < 4 && !atEnd) return More(0);
    MpegHeader header;
    if (size >= 4 && DecodeHeaderFields(data, header) && Passes(filter_, header) && header.option == header_.option) {
      const size_t length = WholeLength(header);
      if (length <= size) return {FrameStep::Kind::Frame, 0, length};
      return atEnd ? End(size) : More(0);  // a frame cut short by the end of the input is no frame
    }
    inStep_ = false;
  }
  return Resync(data, size, atEnd);
}

FrameStep FrameWalker::FirstFrame(const uint8_t* data, size_t size, bool atEnd) {
  size_t passed = 0;  // VBR information frames stepped over
  for (;;) {
    MpegHeader header;
    int32_t frameBytes = 0;
    FrameStep step = FindConfirmedFrame(data + passed, size - passed, atEnd, filter_, header, frameBytes);
    step.skip += passed;
    if (step.kind != FrameStep::Kind::Frame) return step;
    if (header.option == kLayerIII && IsVbrInfoFrame(data + step.skip, step.length, header)) {
      passed = step.skip + step.length;
      continue;
    }
    found_ = true;
    inStep_ = true;
    header_ = header;
    frameBytes_ = frameBytes;
    return step;
  }
}

FrameStep FrameWalker::Resync(const uint8_t* data, size_t size, bool atEnd) {
  const FrameFilter streamFilter{header_.option, filter_.freeFormat, filter_.mpeg25};
  MpegHeader header;
  int32_t frameBytes = 0;
  const FrameStep step = FindConfirmedFrame(data, size, atEnd, streamFilter, header, frameBytes);
  if (step.kind == FrameStep::Kind::Frame) inStep_ = true;
  return step;
}

size_t FrameWalker::WholeLength(const MpegHeader& header) const {
  // A free-format frame has no length of its own: the stream's, as the decoder takes it.
  const int32_t bytes = header.br_index == 0 ? frameBytes_ : HeaderTableFrameLength(header);
  const int32_t whole = bytes + header.pad * HeaderSlotBytes(header);
  return static_cast<size_t>(whole);
}

}  // namespace sonvarek::mpegdec
