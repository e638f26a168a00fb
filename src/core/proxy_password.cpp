#include "core/proxy_password.h"

#include <cmath>
#include <cstdint>

#include "core/text_format.h"

namespace sonvarek {
namespace {

// 72 letters and digits; changing it makes stored passwords unreadable.
constexpr std::string_view kProxyPasswordKey =
    "Q7vK2mX9pL4wR8tZ3nB6yH1cF5jD0gS7aE2uM9kP4xV8qW3rT6zN1bY5hC0fJ7dG2sL9aK4e";
static_assert(kProxyPasswordKey.size() == 72);

constexpr char kSection[] = "CDDB";
constexpr int32_t kLengthOffset = 3672;
constexpr int32_t kByteOffset = 23676;

int32_t LengthSalt() { return static_cast<int32_t>(std::cos(1.75398) * 2252.0); }

int32_t PositionSalt(size_t i) {
  return static_cast<int32_t>(std::cos((static_cast<double>(i) + 0.3456) * 1.23) * 2352.0);
}

int32_t KeyByte(size_t i) {
  return i < kProxyPasswordKey.size() ? static_cast<int32_t>(static_cast<signed char>(kProxyPasswordKey[i])) : 0;
}

std::string PositionKey(size_t i) { return FormatText("Proxy%03d", static_cast<int>(i)); }

}  // namespace

void SaveProxyPassword(ProfileFile& profile, std::string_view password) {
  size_t length = password.size();
  if (length > kMaxProxyPasswordBytes) {
    length = kMaxProxyPasswordBytes;
    while (length > 0 && (static_cast<unsigned char>(password[length]) & 0xC0) == 0x80) --length;
  }
  profile.SetInt(kSection, PositionKey(0), (LengthSalt() ^ static_cast<int32_t>(length)) + kLengthOffset);
  for (size_t i = 0; i < length; ++i) {
    // The stored form counts bytes above 0x7F as negative.
    int32_t byte = static_cast<unsigned char>(password[i]);
    if (byte > 0x7F) byte -= 0x100;
    profile.SetInt(kSection, PositionKey(i + 1), (byte ^ PositionSalt(i)) + KeyByte(i) + kByteOffset);
  }
}

std::string LoadProxyPassword(const ProfileFile& profile) {
  int32_t stored = profile.GetInt(kSection, PositionKey(0), 0);
  if (stored == 0) return {};
  int32_t length = LengthSalt() ^ static_cast<int32_t>(static_cast<uint32_t>(stored) - kLengthOffset);
  std::string password;
  for (int32_t i = 0; i < length && i < static_cast<int32_t>(kMaxProxyPasswordBytes); ++i) {
    int32_t value = profile.GetInt(kSection, PositionKey(i + 1), 0);
    if (value == 0) break;
    int32_t byte = static_cast<int32_t>(static_cast<uint32_t>(value) - KeyByte(i) - kByteOffset) ^ PositionSalt(i);
    password += static_cast<char>(byte & 0xFF);
  }
  return password;
}

}  // namespace sonvarek
