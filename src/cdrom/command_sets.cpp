#include "cdrom/command_sets.h"

#include <initializer_list>

#include "core/disc_toc.h"

namespace sonvarek {
namespace {

CommandBlock Block(std::initializer_list<uint8_t> bytes) {
  CommandBlock block;
  for (uint8_t byte : bytes) block.bytes[block.length++] = byte;
  return block;
}

uint8_t Byte(uint32_t value, int shift) { return static_cast<uint8_t>(value >> shift); }

constexpr ReadCommandKind kReadCommands[kDriveTypeCount] = {
    ReadCommandKind::ReadCd,  // GENERIC
    ReadCommandKind::Read10,  // TOSHIBA
    ReadCommandKind::Read10,  // IBM
    ReadCommandKind::NecRead, // NEC
    ReadCommandKind::Read10,  // DEC
    ReadCommandKind::Read10,  // KODAK
    ReadCommandKind::Read10,  // RICOH
    ReadCommandKind::Read10,  // HP
    ReadCommandKind::Read10,  // PHILIPS
    ReadCommandKind::VendorD8,  // PLEXTOR
    ReadCommandKind::VendorD8,  // SONY
    ReadCommandKind::Read10,  // YAMAHA
};

}  // namespace

ReadCommandKind ReadCommandOf(int32_t driveType) {
  if (driveType < 0 || driveType >= kDriveTypeCount) driveType = 0;
  return kReadCommands[driveType];
}

CommandBlock InquiryCommand() { return Block({0x12, 0x00, 0x00, 0x00, 0x64, 0x00}); }

CommandBlock ReadTocCommand(bool msf) {
  static_assert(kTocBytes == 0x0324);
  return Block({0x43, static_cast<uint8_t>(msf ? 0x02 : 0x00), 0, 0, 0, 0, 0, 0x03, 0x24, 0});
}

CommandBlock ReadCddaCommand(int32_t driveType, uint8_t lunBits, uint32_t firstSector, uint32_t sectorCount) {
  uint8_t a2 = Byte(firstSector, 16), a1 = Byte(firstSector, 8), a0 = Byte(firstSector, 0);
  uint8_t n1 = Byte(sectorCount, 8), n0 = Byte(sectorCount, 0);
  switch (ReadCommandOf(driveType)) {
    case ReadCommandKind::ReadCd:
      // Expected sector type 0 (any); byte 9 0x10 asks for the user data, all 2352 bytes of audio.
      return Block({0xBE, lunBits, 0, a2, a1, a0, 0, n1, n0, 0x10, 0, 0});
    case ReadCommandKind::Read10:
      return Block({0x28, lunBits, 0, a2, a1, a0, 0, n1, n0, 0});
    case ReadCommandKind::NecRead:
      return Block({0xD4, lunBits, 0, a2, a1, a0, 0, n1, n0, 0});
    case ReadCommandKind::VendorD8:
      return Block({0xD8, lunBits, 0, a2, a1, a0, 0, 0, n1, n0, 0, 0});
  }
  return {};
}

CommandBlock ReadCdWithC2Command(uint8_t lunBits, uint32_t firstSector, uint32_t sectorCount) {
  // Byte 9: the user data (0x10) and the C2 error bits (01b in bits 2-1: 294 bytes a sector).
  return Block({0xBE, lunBits, 0, Byte(firstSector, 16), Byte(firstSector, 8), Byte(firstSector, 0), 0,
                Byte(sectorCount, 8), Byte(sectorCount, 0), 0x12, 0, 0});
}

CommandBlock PlayAudioCommand(uint32_t start, uint32_t end) {
  uint32_t length = end - start;
  return Block({0xA5, 0x00, Byte(start, 24), Byte(start, 16), Byte(start, 8), Byte(start, 0), Byte(length, 24),
                Byte(length, 16), Byte(length, 8), Byte(length, 0), 0, 0});
}

CommandBlock PauseResumeCommand(uint8_t lunBits, bool pause) {
  return Block({0x4B, lunBits, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(pause ? 0x00 : 0x01), 0});
}

CommandBlock StopUnitCommand() { return Block({0x1B, 0x00, 0x00, 0x00, 0x00, 0x00}); }

CommandBlock EjectCommand() { return Block({0x1B, 0x00, 0x00, 0x00, 0x02, 0x00}); }

CommandBlock ReadSubChannelCommand(uint8_t lunBits, uint8_t format, uint8_t track, uint16_t length) {
  uint8_t subQ = (format == 1 || format == 2) ? 0x40 : 0x00;
  return Block({0x42, lunBits, subQ, format, 0, 0, track, Byte(length, 8), Byte(length, 0), 0});
}

}  // namespace sonvarek
