#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sonvarek {
namespace {

TEST(ParseWholeNumber, TakesOnlyAWholeDecimalNumberInRange) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 0},           {"42", 42},         {"-7", -7},          {"007", 7},
      {"2147483647", INT32_MAX},              {"-2147483648", INT32_MIN},
      {"2147483648", {}}, {"-2147483649", {}}, {"", {}},           {"-", {}},
      {" 1", {}},         {"1 ", {}},          {"+1", {}},          {"1x", {}},
      {"0x10", {}},       {"1.5", {}},         {"1,000", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWholeNumber<int32_t>(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseWholeNumber, FollowsTheRangeAndSignOfTheType) {
  EXPECT_EQ(ParseWholeNumber<uint32_t>("4294967295"), UINT32_MAX);
  EXPECT_EQ(ParseWholeNumber<uint32_t>("4294967296"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber<uint32_t>("-1"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber<uint8_t>("255"), 255);
  EXPECT_EQ(ParseWholeNumber<uint8_t>("256"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber<int64_t>("-9223372036854775808"), INT64_MIN);
}

}  // namespace
}  // namespace sonvarek
