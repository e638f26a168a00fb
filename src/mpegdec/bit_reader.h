#pragma once

#include <cstdint>
#include <cstring>

namespace sonvarek::mpegdec::detail {

// MSB-first reader over [position, limit) bits of a buffer. A read that would pass the limit
// returns 0, leaves the position at the limit and sets the overrun flag; it never touches a
// byte at or past limit / 8 rounded up.
class BitReader {
 public:
  BitReader(const uint8_t* data, uint32_t position, uint32_t limit) : data_(data), position_(position), limit_(limit) {}

  uint32_t Read(int count) {
    if (count == 0) return 0;
    if (position_ + static_cast<uint32_t>(count) > limit_) {
      position_ = limit_;
      overrun_ = true;
      return 0;
    }
    uint32_t value = 0;
    for (int left = count; left > 0;) {
      const int bit = static_cast<int>(position_ & 7);
      const int take = left < 8 - bit ? left : 8 - bit;
      const uint32_t byte = data_[position_ >> 3];
      value = (value << take) | ((byte >> (8 - bit - take)) & ((1u << take) - 1));
      position_ += static_cast<uint32_t>(take);
      left -= take;
    }
    return value;
  }

  uint32_t Position() const { return position_; }
  bool Overrun() const { return overrun_; }

 private:
  const uint8_t* data_;
  uint32_t position_;
  uint32_t limit_;
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
