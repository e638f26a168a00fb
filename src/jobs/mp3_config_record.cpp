#include "jobs/mp3_config_record.h"

namespace sonvarek {

uint32_t BitRateFromIndex(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(kBitRateTable.size())) index = kDefaultBitRateIndex;
  return kBitRateTable[static_cast<size_t>(index)];
}

std::optional<int32_t> BitRateIndexOf(uint32_t kbps) {
  for (size_t i = 0; i < kBitRateTable.size(); ++i) {
    if (kBitRateTable[i] == kbps) return static_cast<int32_t>(i);
  }
  return std::nullopt;
}

LameEncConfig Mp3ConfigRecord(const Settings& settings, const WavHeader& header) {
  LameEncConfig config{};
  config.dwConfig = BE_CONFIG_LAME;
  config.dwStructVersion = BE_CONFIG_LAME_VERSION;
  config.dwStructSize = sizeof(LameEncConfig);
  config.dwSampleRate = header.samplesPerSecond;
  config.dwReSampleRate = 0;
  // A stored mode the encoder does not know would have it read stereo data as mono.
  const bool knownMode = settings.StereoMode >= BE_MP3_MODE_STEREO && settings.StereoMode <= BE_MP3_MODE_DUALCHANNEL;
  config.nMode = header.channels == 1 ? BE_MP3_MODE_MONO : (knownMode ? settings.StereoMode : BE_MP3_MODE_STEREO);
  config.dwBitrate = BitRateFromIndex(settings.BitRate);
  config.dwMaxBitrate = BitRateFromIndex(settings.MaxBitRate);
  config.nPreset = settings.MPEGQuality;
  config.dwMpegVersion = 1;
  config.dwPsyModel = 0;
  config.dwEmphasis = 0;
  config.bPrivate = settings.Private;
  config.bCRC = 0;
  config.bCopyright = settings.Copyright;
  config.bOriginal = settings.Original;
  config.bWriteVBRHeader = settings.EnableVBR != 0 && settings.WriteVBRHeader != 0 ? 1 : 0;
  config.bEnableVBR = settings.EnableVBR;
  config.nVBRQuality = settings.VBRQuality;
  return config;
}

}  // namespace sonvarek
