#pragma once

#include <cstdint>
#include <cstring>

namespace sonvarek::mpegdec::detail {

// MSB-first reader over [position, limit) bits of a buffer. A read that would pass the limit
// returns 0, leaves the position at the limit and sets the overrun flag; it never touches a
// byte at or past limit / 8 rounded up.
class BitReader {
 public:
  BitReader(const uint8_t* data, uint32_t position, uint32_t limit)
      : data_(data), position_(position), limit_(limit), readable_bytes_((limit + 7) / 8) {}

  // Reads `count` (0..24) bits.
  uint32_t Read(int count) {
    if (count == 0) return 0;
    if (position_ + static_cast<uint32_t>(count) > limit_) {
      position_ = limit_;
      overrun_ = true;
      return 0;
    }
    const uint32_t first = position_ >> 3;
    uint32_t value;
    if (first + 4 <= readable_bytes_) {
      const uint32_t word = (static_cast<uint32_t>(data_[first]) << 24) | (static_cast<uint32_t>(data_[first + 1]) << 16) |
                            (static_cast<uint32_t>(data_[first + 2]) << 8) | data_[first + 3];
      value = (word << (position_ & 7)) >> (32 - count);
    } else {
      value = 0;
      for (int i = 0; i < count; ++i) {
        const uint32_t at = position_ + static_cast<uint32_t>(i);
        value = (value << 1) | ((data_[at >> 3] >> (7 - (at & 7))) & 1u);
      }
    }
    position_ += static_cast<uint32_t>(count);
    return value;
  }

  uint32_t Position() const { return position_; }
  bool Overrun() const { return overrun_; }

 private:
  const uint8_t* data_;
  uint32_t position_;
  uint32_t limit_;
  uint32_t readable_bytes_;
  bool overrun_ = false;
};

// At least the next 57 bits at bit `position`, MSB first, for the Huffman decoder. Reads the
// 8 bytes from position / 8: the caller guarantees they lie inside its buffer (the
// reservoir's padding).
inline uint64_t PeekBits64(const uint8_t* data, uint32_t position) {
  uint64_t word;
  std::memcpy(&word, data + (position >> 3), sizeof word);
  return __builtin_bswap64(word) << (position & 7);
}

// The next 32 bits at bit `position`, for the Huffman decoder. Reads the 8 bytes from
// position / 8: the caller guarantees they lie inside its buffer (the reservoir's padding).
inline uint32_t PeekBits32(const uint8_t* data, uint32_t position) {
  uint64_t word;
  std::memcpy(&word, data + (position >> 3), sizeof word);
  word = __builtin_bswap64(word);
  return static_cast<uint32_t>((word << (position & 7)) >> 32);
}

}  // namespace sonvarek::mpegdec::detail
