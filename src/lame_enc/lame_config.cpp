#include "lame_enc/lame_config.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace lame_enc {
namespace {

constexpr int kVoiceLowpassHz = 12000;

bool ValidHeader(const LameEncConfig& config) {
  return config.dwConfig == BE_CONFIG_LAME && config.dwStructVersion >= BE_CONFIG_LAME_VERSION &&
         config.dwStructSize >= sizeof(LameEncConfig);
}

MPEG_mode ModeOf(int32_t mode) {
  switch (mode) {
    case BE_MP3_MODE_STEREO: return STEREO;
    case BE_MP3_MODE_JSTEREO: return JOINT_STEREO;
    case BE_MP3_MODE_DUALCHANNEL: return DUAL_CHANNEL;
    case BE_MP3_MODE_MONO: return MONO;
    default: return NOT_SET;
  }
}

bool IsMpegRate(uint32_t rate) {
  constexpr std::array<uint32_t, 9> kMpegRates = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
  return std::find(kMpegRates.begin(), kMpegRates.end(), rate) != kMpegRates.end();
}

// 0 in the record means no resampling. Left to itself, libmp3lame would drop to a
// lower rate (MPEG-2) for low bit rates, VBR qualities 7-8 and the voice low-pass.
// Only an input rate no MPEG stream can carry (96 kHz) is left for it to choose (0).
uint32_t OutputRateOf(const LameEncConfig& config) {
  if (config.dwReSampleRate != 0) return config.dwReSampleRate;
  return IsMpegRate(config.dwSampleRate) ? config.dwSampleRate : 0;
}

void ApplyPreset(lame_t flags, const LameEncConfig& config) {
  switch (config.nPreset) {
    case LQP_LOW_QUALITY: lame_set_quality(flags, 7); break;
    case LQP_HIGH_QUALITY: lame_set_quality(flags, 2); break;
    case LQP_VOICE_QUALITY: lame_set_lowpassfreq(flags, kVoiceLowpassHz); break;
    default: break;  // normal quality and unknown presets: libmp3lame's default
  }
  // The explicit quality word counts only when its high byte confirms the low one,
  // so that a record zeroed by an older caller never forces quality 0.
  const int low = config.nQuality & 0xFF;
  const int high = (config.nQuality >> 8) & 0xFF;
  if (high == (~low & 0xFF) && low <= 9) lame_set_quality(flags, low);
}

vbr_mode VbrModeOf(int32_t method) {
  switch (method) {
    case VBR_METHOD_OLD: return vbr_rh;
    case VBR_METHOD_NEW:
    case VBR_METHOD_MTRH: return vbr_mtrh;
    case VBR_METHOD_ABR: return vbr_abr;
    default: return vbr_default;
  }
}

bool ApplyRate(lame_t flags, const LameEncConfig& config) {
  if (!config.bEnableVBR) {
    lame_set_VBR(flags, vbr_off);
    return lame_set_brate(flags, static_cast<int>(config.dwBitrate)) == 0;
  }
  if (config.nVBRQuality < 0 || config.nVBRQuality > 9) return false;
  const vbr_mode mode = VbrModeOf(config.nVbrMethod);
  lame_set_VBR(flags, mode);
  lame_set_VBR_q(flags, config.nVBRQuality);
  if (mode == vbr_abr) lame_set_VBR_mean_bitrate_kbps(flags, static_cast<int>((config.dwVbrAbr_bps + 500) / 1000));
  if (config.dwBitrate != 0) lame_set_VBR_min_bitrate_kbps(flags, static_cast<int>(config.dwBitrate));
  if (config.dwMaxBitrate != 0) lame_set_VBR_max_bitrate_kbps(flags, static_cast<int>(config.dwMaxBitrate));
  return true;
}

void ApplyFlags(lame_t flags, const LameEncConfig& config) {
  lame_set_copyright(flags, config.bCopyright != 0);
  lame_set_original(flags, config.bOriginal != 0);
  lame_set_extension(flags, config.bPrivate != 0);
  lame_set_error_protection(flags, config.bCRC != 0);
  lame_set_strict_ISO(flags, config.bStrictIso != 0);
  lame_set_disable_reservoir(flags, config.bNoRes != 0);
  lame_set_emphasis(flags, static_cast<int>(config.dwEmphasis));
  lame_set_bWriteVbrTag(flags, config.bWriteVBRHeader != 0);
}

}  // namespace

int ChannelsOf(const LameEncConfig& config) { return config.nMode == BE_MP3_MODE_MONO ? 1 : 2; }

BE_ERR ApplyConfig(lame_t flags, const LameEncConfig& config) {
  if (!ValidHeader(config)) return BE_ERR_INVALID_FORMAT;
  const MPEG_mode mode = ModeOf(config.nMode);
  if (mode == NOT_SET || config.dwSampleRate == 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  lame_set_num_channels(flags, ChannelsOf(config));
  lame_set_in_samplerate(flags, static_cast<int>(config.dwSampleRate));
  if (uint32_t rate = OutputRateOf(config); rate != 0) lame_set_out_samplerate(flags, static_cast<int>(rate));
  lame_set_mode(flags, mode);
  ApplyPreset(flags, config);
  if (!ApplyRate(flags, config)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  ApplyFlags(flags, config);
  return lame_init_params(flags) < 0 ? BE_ERR_INVALID_FORMAT_PARAMETERS : BE_ERR_SUCCESSFUL;
}

}  // namespace lame_enc
