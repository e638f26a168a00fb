#pragma once

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>

namespace sonvarek {

// The whole of `text` as a decimal integer of type Number: an optional '-' (signed types
// only) and digits, nothing else. Nothing for an empty text, a blank, a '+', any other
// stray character, or a value outside Number's range. Callers trim or check bounds themselves.
template <std::integral Number>
std::optional<Number> ParseWholeNumber(std::string_view text) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace sonvarek
