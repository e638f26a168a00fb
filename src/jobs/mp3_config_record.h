#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/settings.h"
#include "jobs/wav_file.h"
#include "lame_enc/lame_enc.h"

namespace sonvarek {

// The bit rates of the settings BitRate and MaxBitRate, kbit/s, by index 0..13.
inline constexpr std::array<uint32_t, 14> kBitRateTable = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
inline constexpr int32_t kDefaultBitRateIndex = 8;

// The kbit/s of an index; an index outside the table counts as the default (128).
uint32_t BitRateFromIndex(int32_t index);
// The index of a rate of the table; nothing for any other rate.
std::optional<int32_t> BitRateIndexOf(uint32_t kbps);

// The configuration record for a WAV file of this format and these settings: the
// LAME form, mono mode for a one-channel file whatever StereoMode says, the VBR
// header asked for only when both EnableVBR and WriteVBRHeader are set, and every
// byte not named 0.
LameEncConfig Mp3ConfigRecord(const Settings& settings, const WavHeader& header);

}  // namespace sonvarek
