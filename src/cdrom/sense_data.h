#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cdrom/scsi_device.h"

namespace sonvarek {

inline constexpr uint8_t kSenseNotReady = 0x02;
inline constexpr uint8_t kSenseMediumError = 0x03;
inline constexpr uint8_t kSenseIllegalRequest = 0x05;

struct SenseCode {
  uint8_t key = 0;
  uint8_t asc = 0;
  uint8_t ascq = 0;
};

// Key, ASC and ASCQ of fixed-format (0x70/0x71) or descriptor-format (0x72/0x73)
// sense data; nothing when the bytes are too short or of another format.
std::optional<SenseCode> ParseSense(std::span<const uint8_t> sense);

// Fixed-format sense data with the given codes, as a drive returns it.
SenseBytes MakeSense(SenseCode code);

// The sense in words for logs and messages, e.g.
// "MEDIUM ERROR, unrecovered read error (sense 03/11/00)".
std::string SenseText(std::span<const uint8_t> sense);

}  // namespace sonvarek
