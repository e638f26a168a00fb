#include "cdrom/rip_batch.h"

#include <algorithm>
#include <string_view>

#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/mp3_config_record.h"

namespace sonvarek {

std::unique_ptr<ConversionBatch> MakeRipBatch(const DiscRecord& disc, const std::vector<int>& checkedTracks,
                                              const Settings& settings, std::shared_ptr<RipContext> rip) {
  if (checkedTracks.empty() || !rip) return nullptr;
  CSCSIDriver& drive = rip->drive();
  drive.StopUnit();
  drive.SetOptions(settings);  // the worker reads the copy taken now
  auto batch = std::make_unique<ConversionBatch>();
  batch->kind = BatchKind::CdRip;
  batch->outputFormat = OutputFormatOf(settings);
  batch->rip = std::move(rip);
  batch->settings = settings;
  for (int track : checkedTracks) {
    if (track < 1 || track >= disc.entryCount || track >= kDiscEntries) continue;
    batch->jobs.push_back(MakeTrackJob(disc, track, disc.entries[track].Title));
  }
  if (batch->jobs.empty()) return nullptr;
  return batch;
}

namespace {

std::string Trimmed(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1));
}

std::string EncoderSettingsText(const Settings& settings) {
  auto kbps = [](int32_t index) { return kBitRateTable[static_cast<size_t>(std::clamp(index, 0, 13))]; };
  switch (OutputFormatOf(settings)) {
    case OutputFormat::Wav: return text::kRipLogPcm;
    case OutputFormat::Ogg: return FormatText(text::kRipLogOggQuality, settings.OggQuality / 100.0);
    case OutputFormat::Mp3: break;
  }
  if (settings.EnableVBR != 0) return FormatText(text::kRipLogMp3Vbr, settings.VBRQuality, kbps(settings.MaxBitRate));
  return FormatText(text::kRipLogMp3Cbr, kbps(settings.BitRate));
}

const char* FormatName(OutputFormat format) {
  switch (format) {
    case OutputFormat::Wav: return "WAV";
    case OutputFormat::Ogg: return "Ogg Vorbis";
    case OutputFormat::Mp3: break;
  }
  return "MP3";
}

}  // namespace

void AttachRipReport(RipContext& rip, const ConversionBatch& batch, const DiscRecord& disc, const DiscTOC& lbaToc) {
  const CSCSIDriver& drive = rip.drive();
  auto report = std::make_unique<RipReport>();
  const Settings& settings = batch.settings;
  report->programVersion = SONVAREK_VERSION;
  const TagSet& whole = disc.entries[0];
  report->albumArtist = !whole.Artist.empty() ? whole.Artist : disc.entries[1].Artist;
  report->albumTitle = whole.Album;
  report->genre = whole.GenreName;
  report->year = whole.Year;
  if (drive.SelectedDevice() >= 0 && drive.SelectedDevice() < drive.DeviceCount()) {
    const DeviceRecord& device = drive.Devices()[static_cast<size_t>(drive.SelectedDevice())];
    report->driveVendor = Trimmed({device.vendor.data(), device.vendor.size()});
    report->driveProduct = Trimmed({device.product.data(), device.product.size()});
    report->driveTransport = device.devicePath;
  }
  report->readOffset = settings.ReadOffset;
  report->secureMode = settings.SecureMode != 0;
  report->secureRetries = settings.SecureRetries;
  report->skipErrors = settings.BoolSkipError != 0;
  report->outputFormat = FormatName(batch.outputFormat);
  report->encoderSettings = EncoderSettingsText(settings);
  for (const TocTrack& track : TracksFromToc(lbaToc)) {
    report->toc.push_back({track.number, track.startSector, track.endSector, track.isData});
  }
  report->leadOut = LeadOutSector(lbaToc);
  for (const ConversionJob& job : batch.jobs) {
    RipTrackReport track;
    track.number = job.trackIndex + 1;
    track.title = job.sourceName;
    if (job.tags.Artist != report->albumArtist) track.performer = job.tags.Artist;
    track.startSector = job.startSector;
    track.endSector = job.endSector;
    report->tracks.push_back(std::move(track));
  }
  rip.AttachReport(std::move(report));
}

}  // namespace sonvarek
