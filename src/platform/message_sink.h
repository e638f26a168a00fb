#pragma once

#include <cstdint>
#include <string>

namespace sonvarek {

// The private window messages between workers and windows; the values are fixed.
enum class Message : uint32_t {
  ExtractProgress = 0x464,     // progress in thousandths, elapsed ms
  SeekSliderMoved = 0x465,
  CreateVolumeControl = 0x466,
  StartWorker = 0x467,         // 0 rip / 1 files; 1 decode, 2 normalize, 3 Ogg, 4 MP3
  CancelBatch = 0x468,
  EncodeProgress = 0x469,      // progress in thousandths, elapsed ms
  JobPhase = 0x46A,            // 0 job starts, 1 normalizing, 2 peak seeking; text: name
  EncodePhase = 0x46B,         // 1 Ogg, 0 MP3; text: name
  BatchSucceeded = 0x46C,
  BatchFailed = 0x46D,
  VolumeSliderMoved = 0x47A,
  LogLine = 0x47D,             // text: the line
  DecodePhase = 0x481,         // text: name
  SelectTrackRow = 0x482,      // track index
  CddbStatus = 0x483,
  CddbError = 0x484,
  CddbReadDone = 0x485,
  CddbQueryDone = 0x486,
  CddbSubmitOk = 0x487,
  CddbSubmitError = 0x488,
  CddbClose = 0x489,
  SubmitTitleEdited = 0x48A,
};

// One message: its number, two integers and an owned text (the heap buffers that
// travelled with the original messages become a string the receiver owns).
struct WindowMessage {
  Message id{};
  int64_t wParam = 0;
  int64_t lParam = 0;
  std::string text;
};

// How workers talk to windows. `Post` returns at once; `Send` returns once the
// receiver has handled the message. Implementations must be callable from any thread.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Post(WindowMessage message) = 0;
  virtual void Send(WindowMessage message) = 0;
};

}  // namespace sonvarek
