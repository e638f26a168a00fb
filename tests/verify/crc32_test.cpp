#include "verify/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string_view>
#include <vector>

namespace sonvarek {
namespace {

std::span<const uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Crc32, KnownValues) {
  EXPECT_EQ(Crc32Of(BytesOf("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32Of(BytesOf("")), 0u);
  EXPECT_EQ(Crc32Of(BytesOf("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
  EXPECT_EQ(Crc32().Value(), 0u);
}

// Pieces of every length from 1 to beyond the 8-byte step, starting at every alignment.
TEST(Crc32, PiecesEqualZlibOfTheWhole) {
  std::mt19937 random(20261211);
  std::vector<uint8_t> buffer(300000);
  for (uint8_t& byte : buffer) byte = static_cast<uint8_t>(random());
  const uLong expected = crc32(crc32(0, nullptr, 0), buffer.data(), static_cast<uInt>(buffer.size()));

  const size_t pieces[] = {1, 3, 7, 8, 9, 15, 16, 17, 4097, 2352, 65536};
  Crc32 crc;
  size_t at = 0;
  for (size_t i = 0; at < buffer.size(); ++i) {
    const size_t length = std::min(pieces[i % std::size(pieces)], buffer.size() - at);
    crc.Add({buffer.data() + at, length});
    at += length;
  }
  EXPECT_EQ(crc.Value(), expected);
  EXPECT_EQ(Crc32Of(buffer), expected);
}

}  // namespace
}  // namespace sonvarek
