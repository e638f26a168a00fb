#pragma once

#include <cstdint>

namespace sonvarek::mpegdec::detail {

// One Huffman code of the standard: code words and lengths for each (x, y), index x * ylen + y.
struct HuffmanCodeSet {
  const uint16_t* codes;
  const uint8_t* lengths;
  uint8_t ylen;
};

// Sets 0..14: the distinct big-value codes (tables 1, 2, 3, 5..13, 15, 16, 24);
// 15 and 16: the count1 tables A and B.
inline constexpr int kHuffmanCodeSetCount = 17;
inline constexpr int kCount1SetA = 15;
inline constexpr int kCount1SetB = 16;
extern const HuffmanCodeSet kHuffmanCodeSets[kHuffmanCodeSetCount];

// table_select 0..31 to code set and linbits; code_set -1: table 0, 4 or 14 (no codes).
struct HuffmanTableRef {
  int8_t code_set;
  uint8_t linbits;
};
extern const HuffmanTableRef kHuffmanTableRefs[32];

// Multi-level lookup built from the code sets. An entry is either a leaf, holding the bits
// the code takes beyond the levels above it (bits 8..12) and the value (x << 4) | y, or, with
// bit 31 set, a link to a subtable: its first entry (bits 0..23) and index width (bits 24..28).
struct HuffmanLookup {
  static constexpr int kCapacity = 16384;
  uint32_t entries[kCapacity];
  uint32_t root[kHuffmanCodeSetCount];
  uint8_t root_bits[kHuffmanCodeSetCount];
  int32_t used;
};

// Fills `lookup`; false when the capacity is too small (a programming error).
bool BuildHuffmanLookup(HuffmanLookup& lookup);

// Decodes one code from the next 32 bits of the stream (MSB first) with the root table at
// entries[root] of `root_bits` index bits. Returns the entry's value and stores the code
// length in `length`.
inline uint32_t HuffmanDecodeAt(const uint32_t* entries, uint32_t root, int root_bits, uint32_t peek, int& length) {
  int width = root_bits;
  uint32_t entry = entries[root + (peek >> (32 - width))];
  int consumed = 0;
  while (entry & 0x80000000u) {
    consumed += width;
    width = static_cast<int>((entry >> 24) & 31);
    entry = entries[(entry & 0xFFFFFFu) + ((peek << consumed) >> (32 - width))];
  }
  length = consumed + static_cast<int>((entry >> 8) & 31);
  return entry & 0xFF;
}

inline uint32_t HuffmanDecode(const HuffmanLookup& lookup, int set, uint32_t peek, int& length) {
  return HuffmanDecodeAt(lookup.entries, lookup.root[set], lookup.root_bits[set], peek, length);
}

}  // namespace sonvarek::mpegdec::detail
