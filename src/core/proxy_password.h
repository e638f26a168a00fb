#pragma once

#include <string>
#include <string_view>

#include "core/profile_file.h"

namespace sonvarek {

// The proxy password is kept in [CDDB] as scrambled integers: Proxy000 holds the
// scrambled length, Proxy001 onwards one scrambled byte each. At most 81 bytes are
// stored (cut at a UTF-8 character boundary). Keys that a longer earlier password
// left behind are not removed; the stored length ends the password.
inline constexpr size_t kMaxProxyPasswordBytes = 81;

std::string LoadProxyPassword(const ProfileFile& profile);
void SaveProxyPassword(ProfileFile& profile, std::string_view password);

}  // namespace sonvarek
