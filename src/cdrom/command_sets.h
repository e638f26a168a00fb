#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace sonvarek {

// A 6-, 10- or 12-byte command descriptor block.
struct CommandBlock {
  std::array<uint8_t, 12> bytes{};
  uint8_t length = 0;

  std::span<const uint8_t> Bytes() const { return {bytes.data(), length}; }
};

// The drive types of setting DeviceType; only the digital audio read depends on it.
inline constexpr int32_t kDriveTypeCount = 12;

enum class ReadCommandKind {
  ReadCd,      // READ CD (0xBE), 12 bytes
  Read10,      // READ(10) (0x28), 10 bytes
  NecRead,     // vendor read 0xD4, 10 bytes
  VendorD8,    // vendor read 0xD8, 12 bytes
};

// The read command of a drive type; a type outside 0..11 is read as 0 (GENERIC).
ReadCommandKind ReadCommandOf(int32_t driveType);

// The LUN placed into bits 5-7 of byte 1 (LUN × 32).
constexpr uint8_t LunBits(int32_t lun) { return static_cast<uint8_t>((lun & 7) << 5); }

// The command blocks the driver sends, byte for byte. Every read of digital audio
// takes the sector address modulo 2^24 and a sector count modulo 2^16.
CommandBlock InquiryCommand();
CommandBlock ReadTocCommand(bool msf);
CommandBlock ReadCddaCommand(int32_t driveType, uint8_t lunBits, uint32_t firstSector, uint32_t sectorCount);
// READ CD of audio with each sector's 294 bytes of C2 error pointers after it.
CommandBlock ReadCdWithC2Command(uint8_t lunBits, uint32_t firstSector, uint32_t sectorCount);
// PLAY AUDIO(12) of [start, end): the transfer length is end − start.
CommandBlock PlayAudioCommand(uint32_t start, uint32_t end);
CommandBlock PauseResumeCommand(uint8_t lunBits, bool pause);
CommandBlock StopUnitCommand();
CommandBlock EjectCommand();
CommandBlock ReadSubChannelCommand(uint8_t lunBits, uint8_t format, uint8_t track, uint16_t length);

}  // namespace sonvarek
