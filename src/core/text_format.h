#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace sonvarek {

namespace detail {
template <typename T>
auto FormatArgument(const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return value.c_str();
  } else {
    return value;
  }
}
}  // namespace detail

// printf-style formatting into a std::string; std::string arguments stand for "%s".
// Used with the named formats of the string table and the log formats.
template <typename... Args>
std::string FormatText(const char* format, const Args&... args) {
  int size = std::snprintf(nullptr, 0, format, detail::FormatArgument(args)...);
  if (size <= 0) return {};
  std::string text(static_cast<size_t>(size) + 1, '\0');
  // The first call measured exactly what this one writes.
  (void)std::snprintf(text.data(), text.size(), format, detail::FormatArgument(args)...);
  text.resize(static_cast<size_t>(size));
  return text;
}

}  // namespace sonvarek
