#include "verify/crc32.h"

#include <array>

namespace sonvarek {

namespace {

// Slicing by 8: table k holds the CRC of a byte followed by k zero bytes, so eight
// bytes are folded with eight independent look-ups per step. Built at compile time.
using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Crc32Tables MakeCrc32Tables() {
  Crc32Tables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    tables[0][byte] = crc;
  }
  for (size_t byte = 0; byte < 256; ++byte) {
    for (size_t k = 1; k < 8; ++k) {
      const uint32_t previous = tables[k - 1][byte];
      tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr Crc32Tables kTables = MakeCrc32Tables();

uint32_t LoadLittleEndian(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

}  // namespace

void Crc32::Add(std::span<const uint8_t> bytes) {
  uint32_t crc = state_;
  const uint8_t* at = bytes.data();
  size_t left = bytes.size();
  for (; left >= 8; at += 8, left -= 8) {
    const uint32_t low = crc ^ LoadLittleEndian(at);
    const uint32_t high = LoadLittleEndian(at + 4);
    crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
          kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
          kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
  }
  for (; left > 0; ++at, --left) crc = (crc >> 8) ^ kTables[0][(crc ^ *at) & 0xFF];
  state_ = crc;
}

uint32_t Crc32Of(std::span<const uint8_t> bytes) {
  Crc32 crc;
  crc.Add(bytes);
  return crc.Value();
}

}  // namespace sonvarek
