#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/settings.h"

namespace sonvarek {

// The settings a single run changes for itself alone, as the command line's options
// give them; Settings.ini is never written with them.

// The index of the BitRate setting for `kbps`; nothing for a rate the MP3 encoder
// does not offer.
std::optional<int32_t> Mp3BitRateIndex(int32_t kbps);

// What a file batch (encode, decode, normalize) may change; an absent value leaves
// its setting as it is.
struct FileBatchOverrides {
  std::optional<int32_t> bitRateIndex;
  std::optional<int32_t> vbrQuality;  // 0..8, and VBR switched on
  std::optional<int32_t> oggQuality;  // 1..100
  std::optional<int32_t> normalizeRatio;  // 1..100 % of full scale
  std::string outputFolder;  // empty: the settings' one
};

// False when the output folder cannot be made (the other overrides are applied).
bool ApplyFileBatchOverrides(const FileBatchOverrides& overrides, Settings& settings);

// What a rip may change.
struct RipOverrides {
  bool secure = false;
  std::optional<OutputFormat> format;
  std::optional<std::string> namingRule;
  std::string outputFolder;  // empty: the settings' one
};

enum class RipOverridesResult {
  Applied,
  RuleRefused,    // the naming rule lacks a track token (text::kNamingRuleNeedsToken)
  FolderRefused,  // the output folder cannot be made (text::kCantOpenOutputDirectory)
};

// In this order: secure mode, format, naming rule, output folder; a refusal stops there.
RipOverridesResult ApplyRipOverrides(const RipOverrides& overrides, Settings& settings);

}  // namespace sonvarek
