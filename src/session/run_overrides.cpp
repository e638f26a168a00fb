#include "session/run_overrides.h"

#include "core/output_naming.h"
#include "jobs/mp3_config_record.h"
#include "session/batch_session.h"

namespace sonvarek {

std::optional<int32_t> Mp3BitRateIndex(int32_t kbps) {
  if (kbps <= 0) return std::nullopt;
  return BitRateIndexOf(static_cast<uint32_t>(kbps));
}

bool ApplyFileBatchOverrides(const FileBatchOverrides& overrides, Settings& settings) {
  if (overrides.bitRateIndex) settings.BitRate = *overrides.bitRateIndex;
  if (overrides.vbrQuality) {
    settings.EnableVBR = 1;
    settings.VBRQuality = *overrides.vbrQuality;
  }
  if (overrides.oggQuality) settings.OggQuality = *overrides.oggQuality;
  if (overrides.normalizeRatio) settings.NormalizeRatio = *overrides.normalizeRatio;
  return overrides.outputFolder.empty() || UseOutputFolder(settings, overrides.outputFolder);
}

RipOverridesResult ApplyRipOverrides(const RipOverrides& overrides, Settings& settings) {
  if (overrides.secure) settings.SecureMode = 1;
  if (overrides.format) settings.OutputFormat = static_cast<int32_t>(*overrides.format);
  if (overrides.namingRule) {
    std::string rule = *overrides.namingRule;
    if (CheckNamingRule(rule) == NamingRuleCheck::Refused) return RipOverridesResult::RuleRefused;
    settings.NamingRule = rule;
  }
  if (overrides.outputFolder.empty() || UseOutputFolder(settings, overrides.outputFolder)) {
    return RipOverridesResult::Applied;
  }
  return RipOverridesResult::FolderRefused;
}

}  // namespace sonvarek
