#include "session/disc_session.h"

#include "cdrom/disc_image.h"
#include "cdrom/driver_creation.h"
#include "cdrom/image_drive.h"
#include "cdrom/scsi_driver_image.h"
#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "freedb/cdplayer_ini.h"
#include "freedb/disc_cache.h"

namespace sonvarek {
namespace {

// Whether the images failed to load for what they hold rather than for being absent.
// Only asked after a failure, so loading them once more costs nothing in a good run.
bool AnyImageMalformed(const std::vector<std::string>& imagePaths) {
  if (imagePaths.empty()) return false;
  std::string error;
  if (!ImageDriveOptionsFromEnvironment(error)) return true;
  for (const std::string& path : imagePaths) {
    ImageFault fault = ImageFault::None;
    if (!DiscImage::Load(path, error, &fault) && fault == ImageFault::Malformed) return true;
  }
  return false;
}

// "1,3-5" as track numbers in list order; nothing when malformed.
std::optional<std::vector<int>> TrackNumbers(std::string_view list) {
  std::vector<int> numbers;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    std::string_view part = list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    size_t dash = part.find('-');
    std::optional<int> first = ParseWholeNumber<int>(part.substr(0, dash));
    std::optional<int> last = dash == std::string_view::npos ? first : ParseWholeNumber<int>(part.substr(dash + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    for (int number = *first; number <= *last; ++number) numbers.push_back(number);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return numbers;
}

}  // namespace

DiscResult DiscSession::NoDriveResult(const std::vector<std::string>& imagePaths) {
  if (AnyImageMalformed(imagePaths)) return DiscResult::MalformedInput;
  notice_.Show(text::kNoCdromFound, NoticeKind::Error);
  return DiscResult::NoDrive;
}

DiscResult DiscSession::OpenImage(const std::string& image) {
  auto driver = std::make_unique<CSCSIDriverImage>(settings_, std::vector<std::string>{image});
  bool usable = driver->Init(0) != 0;
  for (const std::string& error : driver->UnitErrors()) notice_.Show(error, NoticeKind::Error);
  if (!usable) return NoDriveResult({image});
  driver_ = std::move(driver);
  return DiscResult::Ready;
}

DiscResult DiscSession::OpenDrive(const DriveChoice& choice, const std::vector<std::string>& extraImages) {
  driver_.reset();
  if (!choice.image.empty()) return OpenImage(choice.image);
  if (choice.device) settings_.CDROMDriver = *choice.device;
  DriveSources sources = SystemDriveSources(extraImages);
  CdDriverCreation creation = CreateCdDriver(settings_, notice_, sources);
  if (!creation.usable || creation.driver->DeviceCount() < 1) return NoDriveResult(sources.imagePaths);
  if (choice.device && *choice.device >= creation.driver->DeviceCount()) {
    notice_.Show(FormatText(text::kCliNoSuchUnit, *choice.device, creation.driver->DeviceCount()), NoticeKind::Error);
    notice_.Show(text::kNoCdromFound, NoticeKind::Error);
    return DiscResult::NoSuchUnit;
  }
  driver_ = std::move(creation.driver);
  return DiscResult::Ready;
}

bool DiscSession::ReadMsfToc(DiscTOC& toc) { return driver_ && driver_->ReadTOC(toc, 1) != 0; }

std::optional<uint32_t> DiscSession::ReadVolumeId() {
  return ComputeVolumeId([this](DiscTOC& toc, bool msf) { return msf ? ReadMsfToc(toc) : false; });
}

void DiscSession::LoadTexts(const DiscTOC& toc, DiscRecord& disc) {
  disc.discId = ComputeCacheDiscId(toc);
  auto importFirst = [this, &toc](DiscRecord& record) {
    if (settings_.AutoLoadCDPlayerINI == 0) return;
    // Automatic import: silent when the volume id cannot be read.
    std::optional<uint32_t> volumeId = ReadVolumeId();
    if (!volumeId) return;
    sonvarek::ImportCdPlayerIni(ProfileFile::Load(CdPlayerIniPath(programFolder_)), *volumeId, toc.TrackCount(),
                                record);
  };
  LoadDiscCache(programFolder_, toc, disc, notice_, importFirst);
}

DiscResult DiscSession::ReadDisc() {
  if (!driver_) return DiscResult::NoDrive;
  driver_->SetOptions(settings_);
  reading_ = sonvarek::ReadDisc(*driver_, toc_, disc_, [this](const DiscTOC& toc, DiscRecord& disc) { LoadTexts(toc, disc); });
  tracks_ = TrackList::FromDisc(disc_, reading_, settings_.AutoSelectAll != 0);
  if (reading_.tocRead && !reading_.tracks.empty()) return DiscResult::Ready;
  std::string reason = driver_->LastErrorText();
  notice_.Show(std::string(text::kPleaseInsertAnAudioCd) + (reason.empty() ? "" : " (" + reason + ")"),
               NoticeKind::Error);
  return DiscResult::NoAudioDisc;
}

bool DiscSession::SaveDisc() {
  if (!reading_.tocRead) return true;
  std::vector<int> trackIndexes;
  for (const TrackRow& row : tracks_.Rows()) trackIndexes.push_back(row.track - 1);
  return SaveDiscCache(programFolder_, toc_, disc_, trackIndexes, notice_);
}

bool DiscSession::Eject() {
  bool saved = SaveDisc();
  if (driver_) driver_->Eject();
  ClearDiscRecord(disc_);
  reading_ = DiscReading{};
  tracks_ = TrackList{};
  return saved;
}

bool DiscSession::MediaChanged() {
  if (!driver_ || !sonvarek::MediaChanged(*driver_, toc_)) return false;
  SaveDisc();
  ReadDisc();
  return true;
}

bool DiscSession::ImportCdPlayerIni() {
  std::optional<uint32_t> volumeId = ReadVolumeId();
  if (!volumeId) {
    notice_.Show(text::kErrorReadingVolumeId, NoticeKind::Error);
    return false;
  }
  ProfileFile file = ProfileFile::Load(CdPlayerIniPath(programFolder_));
  sonvarek::ImportCdPlayerIni(file, *volumeId, static_cast<int>(tracks_.Rows().size()), disc_);
  tracks_.RetitleFrom(disc_);
  return true;
}

bool DiscSession::ExportCdPlayerIni() {
  std::optional<uint32_t> volumeId = ReadVolumeId();
  if (!volumeId) {
    notice_.Show(text::kErrorReadingVolumeId, NoticeKind::Error);
    return false;
  }
  std::string path = CdPlayerIniPath(programFolder_);
  ProfileFile file;
  if (!LoadForUpdate(path, file)) {
    notice_.Show(FormatText(text::kCdPlayerIniUnreadable, path), NoticeKind::Error);
    return false;
  }
  sonvarek::ExportCdPlayerIni(file, *volumeId, disc_, static_cast<int>(tracks_.Rows().size()));
  std::string error;
  if (file.Save(path, &error)) return true;
  notice_.Show(FormatText(text::kCdPlayerIniNotSaved, path, error), NoticeKind::Error);
  return false;
}

DiscIds DiscSession::ComputeIds() {
  DiscIds ids;
  ids.cacheId = ComputeCacheDiscId(toc_);
  DiscTOC msfToc;
  if (!ReadMsfToc(msfToc)) return ids;
  DiscIdInfo info;
  ComputeFreedbDiscId(msfToc, info);
  ids.freedb = info;
  ids.volumeId = VolumeIdOfToc(msfToc);
  return ids;
}

DiscResult DiscSession::Open(const DriveChoice& choice) {
  DiscResult opened = OpenDrive(choice);
  return opened == DiscResult::Ready ? ReadDisc() : opened;
}

std::span<const DeviceRecord> DiscSession::Units() const {
  if (!driver_) return {};
  return driver_->Devices();
}

void DiscSession::SetDiscTexts(const std::optional<std::string>& artist, const std::optional<std::string>& album) {
  if (!artist && !album) return;
  SetDiscInfo(disc_, artist.value_or(disc_.entries[1].Artist), album.value_or(disc_.entries[0].Album),
              disc_.entries[0].GenreName);
}

void DiscSession::SetDiscField(std::string TagSet::*field, std::string_view value) {
  for (int entry = 0; entry < disc_.entryCount && entry < kDiscEntries; ++entry) {
    disc_.entries[static_cast<size_t>(entry)].*field = value;
  }
}

void DiscSession::SetDiscGenre(std::string_view name) {
  SetDiscField(&TagSet::GenreName, name);
  disc_.entries[0].GenreIndex = GenreIndexFromName(name);
}

bool DiscSession::SetTrackTitle(int track, std::string_view title) {
  const std::vector<TrackRow>& rows = tracks_.Rows();
  for (size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].track == track) return tracks_.SetTitle(row, title, disc_);
  }
  return false;
}

bool DiscSession::SelectTracks(std::string_view list) {
  const std::vector<TrackRow>& rows = tracks_.Rows();
  std::vector<bool> wanted(rows.size(), list.empty());
  if (!list.empty()) {
    std::optional<std::vector<int>> numbers = TrackNumbers(list);
    if (!numbers) return false;
    for (int number : *numbers) {
      bool found = false;
      for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].track == number && !rows[row].isData) found = wanted[row] = true;
      }
      if (!found) return false;
    }
  }
  for (size_t row = 0; row < rows.size(); ++row) tracks_.SetChecked(row, wanted[row]);
  return true;
}

}  // namespace sonvarek
