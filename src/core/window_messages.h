#pragma once

#include <cstdint>

#include "platform/message_sink.h"

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

// wParam of JobPhase: what starts.
enum class JobPhaseCode : int64_t { JobStarts = 0, Normalizing = 1, SeekingPeak = 2 };
// wParam of EncodePhase: the encoder.
enum class EncoderCode : int64_t { Mp3 = 0, Ogg = 1 };
// wParam and lParam of StartWorker: a rip or a file batch, and which file batch.
enum class StartSourceCode : int64_t { CdRip = 0, Files = 1 };
enum class StartBatchCode : int64_t { Decode = 1, Normalize = 2, EncodeOgg = 3, EncodeMp3 = 4 };

// The number a code travels as in a message.
template <typename Code>
constexpr int64_t Wire(Code code) {
  return static_cast<int64_t>(code);
}

}  // namespace sonvarek
