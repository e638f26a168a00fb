#include "mpegdec/layer3_huffman.h"

#include <algorithm>
#include <vector>

namespace sonvarek::mpegdec::detail {

const HuffmanTableRef kHuffmanTableRefs[32] = {
    {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {-1, 0}, {3, 0}, {4, 0}, {5, 0},
    {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {-1, 0}, {12, 0},
    {13, 1}, {13, 2}, {13, 3}, {13, 4}, {13, 6}, {13, 8}, {13, 10}, {13, 13},
    {14, 4}, {14, 5}, {14, 6}, {14, 7}, {14, 8}, {14, 9}, {14, 11}, {14, 13},
};

namespace {

struct Code {
  uint32_t bits;
  int length;
  uint8_t value;
};

constexpr int kRootBits = 10;
constexpr int kSubtableBits = 6;

// Fills a table of 2^width entries for the codes that share the `prefix_length` bits above
// it; longer codes go to subtables. Returns the table's first entry, or -1 when full.
int32_t huff_build_level(HuffmanLookup& lookup, const std::vector<Code>& codes, int prefix_length, int width) {
  const int32_t base = lookup.used;
  if (base + (1 << width) > HuffmanLookup::kCapacity) return -1;
  lookup.used += 1 << width;
  std::fill_n(lookup.entries + base, 1 << width, 0u);
  std::vector<std::vector<Code>> longer(static_cast<size_t>(1) << width);
  for (const Code& code : codes) {
    const int rest = code.length - prefix_length;
    const uint32_t suffix = code.bits & ((1u << rest) - 1);
    if (rest <= width) {
      const uint32_t first = suffix << (width - rest);
      for (uint32_t i = 0; i < (1u << (width - rest)); ++i)
        lookup.entries[base + first + i] = (static_cast<uint32_t>(rest) << 8) | code.value;
    } else {
      longer[suffix >> (rest - width)].push_back(code);
    }
  }
  for (size_t key = 0; key < longer.size(); ++key) {
    if (longer[key].empty()) continue;
    int deepest = 0;
    for (const Code& code : longer[key]) deepest = std::max(deepest, code.length);
    const int sub_width = std::min(deepest - prefix_length - width, kSubtableBits);
    const int32_t sub = huff_build_level(lookup, longer[key], prefix_length + width, sub_width);
    if (sub < 0) return -1;
    lookup.entries[base + key] = 0x80000000u | (static_cast<uint32_t>(sub_width) << 24) | static_cast<uint32_t>(sub);
  }
  return base;
}

}  // namespace

bool BuildHuffmanLookup(HuffmanLookup& lookup) {
  lookup.used = 0;
  for (int set = 0; set < kHuffmanCodeSetCount; ++set) {
    const HuffmanCodeSet& source = kHuffmanCodeSets[set];
    std::vector<Code> codes;
    int longest = 0;
    for (int x = 0; x < source.ylen; ++x) {
      for (int y = 0; y < source.ylen; ++y) {
        const int index = x * source.ylen + y;
        codes.push_back({source.codes[index], source.lengths[index], static_cast<uint8_t>((x << 4) | y)});
        longest = std::max(longest, static_cast<int>(source.lengths[index]));
      }
    }
    const int width = std::min(longest, kRootBits);
    const int32_t root = huff_build_level(lookup, codes, 0, width);
    if (root < 0) return false;
    lookup.root[set] = static_cast<uint32_t>(root);
    lookup.root_bits[set] = static_cast<uint8_t>(width);
  }
  return true;
}

}  // namespace sonvarek::mpegdec::detail
