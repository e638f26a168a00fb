#include "verify/crc32.h"

#include <zlib.h>

namespace sonvarek {

// zlib's CRC-32 is the same polynomial and reads several bytes a step; it runs over
// every byte a rip writes, so its speed is the rip's.
void Crc32::Add(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  const uLong crc = crc32_z(~state_, bytes.data(), bytes.size());
  state_ = ~static_cast<uint32_t>(crc);
}

uint32_t Crc32Of(std::span<const uint8_t> bytes) {
  Crc32 crc;
  crc.Add(bytes);
  return crc.Value();
}

}  // namespace sonvarek
