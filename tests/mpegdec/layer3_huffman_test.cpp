// The Huffman code tables are typed in from the standard; a typing error shows as a code that
// is no longer a complete prefix code or that the lookup decodes to another value.
#include "mpegdec/layer3_huffman.h"

#include <gtest/gtest.h>

#include <memory>

namespace sonvarek::mpegdec::detail {
namespace {

TEST(Layer3Huffman, EveryTableIsACompletePrefixCode) {
  for (int set = 0; set < kHuffmanCodeSetCount; ++set) {
    const HuffmanCodeSet& code = kHuffmanCodeSets[set];
    const int count = code.ylen * code.ylen;
    double kraft = 0.0;
    for (int i = 0; i < count; ++i) {
      kraft += 1.0 / static_cast<double>(1u << code.lengths[i]);
      for (int j = 0; j < count; ++j) {
        if (i == j || code.lengths[j] < code.lengths[i]) continue;
        const uint32_t prefix = code.codes[j] >> (code.lengths[j] - code.lengths[i]);
        EXPECT_NE(prefix, code.codes[i]) << "set " << set << ": code " << i << " is a prefix of " << j;
      }
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0) << "set " << set;
  }
}

TEST(Layer3Huffman, LookupDecodesEveryCodeWordWithAnyBitsAfterIt) {
  auto lookup = std::make_unique<HuffmanLookup>();
  ASSERT_TRUE(BuildHuffmanLookup(*lookup));
  for (int set = 0; set < kHuffmanCodeSetCount; ++set) {
    const HuffmanCodeSet& code = kHuffmanCodeSets[set];
    for (int x = 0; x < code.ylen; ++x) {
      for (int y = 0; y < code.ylen; ++y) {
        const int index = x * code.ylen + y;
        const int bits = code.lengths[index];
        for (uint32_t tail : {0u, 0xFFFFFFFFu, 0x5A5A5A5Au}) {
          const uint32_t peek = (static_cast<uint32_t>(code.codes[index]) << (32 - bits)) | (tail >> bits);
          int length = 0;
          const uint32_t value = HuffmanDecode(*lookup, set, peek, length);
          ASSERT_EQ(length, bits) << "set " << set << " x " << x << " y " << y;
          ASSERT_EQ(value, static_cast<uint32_t>((x << 4) | y)) << "set " << set;
        }
      }
    }
  }
}

TEST(Layer3Huffman, TableSelectMapsToLinbitsOfTheStandard) {
  const int linbits[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
  for (int table = 0; table < 32; ++table) EXPECT_EQ(kHuffmanTableRefs[table].linbits, linbits[table]) << table;
  EXPECT_LT(kHuffmanTableRefs[0].code_set, 0);
  EXPECT_LT(kHuffmanTableRefs[4].code_set, 0);
  EXPECT_LT(kHuffmanTableRefs[14].code_set, 0);
}

}  // namespace
}  // namespace sonvarek::mpegdec::detail
