#include "cdrom/image_drive.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/cd_units.h"
#include "core/disc_toc.h"
#include "cdrom/sense_data.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr uint8_t kAscInvalidOpcode = 0x20;
constexpr uint8_t kAscOutOfRange = 0x21;
constexpr uint8_t kAscInvalidField = 0x24;
constexpr uint8_t kAscSequenceError = 0x2C;
constexpr uint8_t kAscReadError = 0x11;
constexpr uint8_t kAscNoMedium = 0x3A;
constexpr size_t kC2Bytes = kSectorBytes / 8;  // one bit for each byte of audio

ScsiOutcome Good() { return ScsiOutcome{ScsiStatus::Good, {}, 0}; }

ScsiOutcome Refuse(uint8_t key, uint8_t asc) { return ScsiOutcome{ScsiStatus::CheckCondition, MakeSense({key, asc, 0}), 0}; }

ScsiOutcome IllegalRequest(uint8_t asc) { return Refuse(kSenseIllegalRequest, asc); }

uint32_t Be32(std::span<const uint8_t> cdb, size_t at) {
  return static_cast<uint32_t>(cdb[at]) << 24 | static_cast<uint32_t>(cdb[at + 1]) << 16 |
         static_cast<uint32_t>(cdb[at + 2]) << 8 | cdb[at + 3];
}

uint32_t Be16(std::span<const uint8_t> cdb, size_t at) { return static_cast<uint32_t>(cdb[at]) << 8 | cdb[at + 1]; }

void PutBe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// 0, M, S, F of a logical block address.
uint32_t MsfAddress(uint32_t sector) {
  uint32_t frames = sector + kLeadInSectors;
  uint32_t minute = frames / (60 * kSectorsPerSecond);
  uint32_t second = frames / kSectorsPerSecond % 60;
  return std::min<uint32_t>(minute, 0xFF) << 16 | second << 8 | frames % kSectorsPerSecond;
}

// Hands the reply to the initiator: no more than the command's allocation length
// nor than the initiator's buffer.
ScsiOutcome Respond(const ScsiRequest& request, const std::vector<uint8_t>& reply, uint32_t allocation) {
  size_t length = std::min<size_t>({reply.size(), allocation, request.dataIn ? request.dataInLength : 0u});
  if (length > 0) std::memcpy(request.dataIn, reply.data(), length);
  return Good();
}

// Turns a sector into noise that differs from its true bytes in every byte and
// from every other reading: it is XORed with odd bytes of a SplitMix64 stream
// whose first word, spread over the first ten bytes, is a bijection of `reading`.
void MakeNoise(uint8_t* sector, uint64_t reading) {
  uint64_t state = reading;
  size_t at = 0;
  while (at < kSectorBytes) {
    state += 0x9E3779B97F4A7C15u;
    uint64_t word = state;
    word = (word ^ (word >> 30)) * 0xBF58476D1CE4E5B9u;
    word = (word ^ (word >> 27)) * 0x94D049BB133111EBu;
    word ^= word >> 31;
    for (int chunk = 0; chunk < 10 && at < kSectorBytes; ++chunk, ++at) {
      sector[at] ^= static_cast<uint8_t>((word >> (7 * chunk)) << 1 | 1);
    }
  }
}

// Moves the `count` sectors at the start of `data` apart to make room for each
// one's C2 error bits, and fills those in: from the last sector back, so none is
// overwritten before it has moved.
void InsertC2Bits(uint8_t* data, uint32_t count, const std::vector<bool>& noisy) {
  for (uint32_t i = count; i-- > 0;) {
    uint8_t* sector = data + static_cast<size_t>(i) * (kSectorBytes + kC2Bytes);
    std::memmove(sector, data + static_cast<size_t>(i) * kSectorBytes, kSectorBytes);
    std::memset(sector + kSectorBytes, noisy[i] ? 0xFF : 0x00, kC2Bytes);
  }
}

// Leaves `sectors` as they are when the variable is not set.
bool SectorsFromEnvironment(const char* variable, const char* errorFormat, BadSectorList& sectors,
                            std::string& error) {
  const char* text = std::getenv(variable);
  if (text == nullptr) return true;
  std::optional<BadSectorList> list = BadSectorList::Parse(text, error);
  if (!list) {
    error = FormatText(errorFormat, error);
    return false;
  }
  sectors = std::move(*list);
  return true;
}

size_t CommandLength(uint8_t opcode) {
  switch (opcode) {
    case 0x00: case 0x12: case 0x1B: return 6;
    case 0x28: case 0x42: case 0x43: case 0x4B: case 0xD4: return 10;
    case 0xA5: case 0xBE: case 0xD8: return 12;
    default: return 0;
  }
}

}  // namespace

std::optional<ImageDriveOptions> ImageDriveOptionsFromEnvironment(std::string& error) {
  ImageDriveOptions options;
  if (!SectorsFromEnvironment("SONVAREK_CD_BAD_SECTORS", text::kBadSectorsVariable, options.badSectors, error) ||
      !SectorsFromEnvironment("SONVAREK_CD_FLAKY_SECTORS", text::kFlakySectorsVariable, options.flakySectors,
                              error)) {
    return std::nullopt;
  }
  return options;
}

std::unique_ptr<ImageDrive> ImageDrive::Load(const std::string& cuePath, ImageDriveOptions options,
                                             std::string& error) {
  std::unique_ptr<DiscImage> image = DiscImage::Load(cuePath, error);
  if (!image) return nullptr;
  return std::make_unique<ImageDrive>(std::move(image), std::move(options));
}

ImageDrive::ImageDrive(std::unique_ptr<DiscImage> image, ImageDriveOptions&& options)
    : image_(std::move(image)),
      badSectors_(std::move(options.badSectors)),
      flakySectors_(std::move(options.flakySectors)),
      clock_(std::move(options.clock)) {
  if (!clock_) clock_ = std::make_shared<SteadyPlayClock>();
}

void ImageDrive::SetBadSectors(BadSectorList badSectors) {
  std::lock_guard lock(mutex_);
  badSectors_ = std::move(badSectors);
}

void ImageDrive::SetFlakySectors(BadSectorList flakySectors) {
  std::lock_guard lock(mutex_);
  flakySectors_ = std::move(flakySectors);
}

void ImageDrive::LoadMedium() {
  std::lock_guard lock(mutex_);
  hasMedium_ = true;
  play_ = PlayState::Idle;
  position_ = 0;
}

bool ImageDrive::HasMedium() const {
  std::lock_guard lock(mutex_);
  return hasMedium_;
}

int ImageDrive::ReadCommandCount() const {
  std::lock_guard lock(mutex_);
  return readCommands_;
}

ScsiOutcome ImageDrive::Execute(const ScsiRequest& request) {
  std::lock_guard lock(mutex_);
  if (DeviceGone()) return ScsiOutcome{ScsiStatus::Failed, {}, ENODEV};
  UpdatePlay();
  return Dispatch(request);
}

// A deleted file is still readable through its open descriptor, but a drive whose
// device went away answers nothing any more, and does not come back.
bool ImageDrive::DeviceGone() {
  if (!gone_) gone_ = image_->FileDeleted();
  return gone_;
}

ScsiOutcome ImageDrive::Dispatch(const ScsiRequest& request) {
  std::span<const uint8_t> cdb = request.cdb;
  if (cdb.empty()) return IllegalRequest(kAscInvalidOpcode);
  size_t needed = CommandLength(cdb[0]);
  if (needed == 0) return IllegalRequest(kAscInvalidOpcode);
  if (cdb.size() < needed) return IllegalRequest(kAscInvalidField);
  switch (cdb[0]) {
    case 0x12: return Inquiry(request);
    case 0x1B: return StartStop(request);
    default: break;
  }
  if (!hasMedium_) return Refuse(kSenseNotReady, kAscNoMedium);
  switch (cdb[0]) {
    case 0x00: return Good();
    case 0x43: return ReadToc(request);
    case 0xBE: return ReadSectors(request, Be32(cdb, 2), cdb[6] << 16 | Be16(cdb, 7), ReadCdFields(cdb[9]));
    case 0x28:
    case 0xD4: return ReadSectors(request, Be32(cdb, 2), Be16(cdb, 7), SectorFields::Audio);
    case 0xD8: return ReadSectors(request, Be32(cdb, 2), Be32(cdb, 6), SectorFields::Audio);
    case 0xA5: return PlayAudio(request);
    case 0x4B: return PauseResume(request);
    case 0x42: return ReadSubChannel(request);
    default: return IllegalRequest(kAscInvalidOpcode);
  }
}

ScsiOutcome ImageDrive::Inquiry(const ScsiRequest& request) {
  if (request.cdb[1] & 0x01) return IllegalRequest(kAscInvalidField);  // no vital product data pages
  std::vector<uint8_t> reply = {0x05, 0x80, 0x05, 0x02, 31, 0, 0, 0};
  for (char c : std::string_view("SONVAREKIMAGE DRIVE     1.0 ")) reply.push_back(static_cast<uint8_t>(c));
  return Respond(request, reply, Be16(request.cdb, 3));
}

ScsiOutcome ImageDrive::ReadToc(const ScsiRequest& request) {
  std::span<const uint8_t> cdb = request.cdb;
  bool msf = (cdb[1] & 0x02) != 0;
  uint8_t format = (cdb[2] & 0x0F) != 0 ? (cdb[2] & 0x0F) : static_cast<uint8_t>(cdb[9] >> 6);
  if (format != 0) return IllegalRequest(kAscInvalidField);
  const std::vector<ImageTrack>& tracks = image_->Tracks();
  uint8_t startTrack = cdb[6];
  size_t from = tracks.size();
  if (startTrack != kLeadOutTrack) {
    from = 0;
    while (from < tracks.size() && tracks[from].number < startTrack) ++from;
    if (from == tracks.size()) return IllegalRequest(kAscInvalidField);
  }
  auto address = [msf](uint32_t sector) { return msf ? MsfAddress(sector) : sector; };
  std::vector<uint8_t> reply = {0, 0, static_cast<uint8_t>(tracks.front().number),
                                static_cast<uint8_t>(tracks.back().number)};
  for (size_t t = from; t < tracks.size(); ++t) {
    reply.insert(reply.end(), {0, static_cast<uint8_t>(0x10 | tracks[t].control),
                               static_cast<uint8_t>(tracks[t].number), 0});
    PutBe32(reply, address(tracks[t].startSector));
  }
  reply.insert(reply.end(), {0, static_cast<uint8_t>(0x10 | tracks.back().control), kLeadOutTrack, 0});
  PutBe32(reply, address(image_->LeadOutSector()));
  uint16_t dataLength = static_cast<uint16_t>(reply.size() - 2);
  reply[0] = static_cast<uint8_t>(dataLength >> 8);
  reply[1] = static_cast<uint8_t>(dataLength);
  return Respond(request, reply, Be16(cdb, 7));
}

// READ CD's byte 9: of an audio sector any of the sync, header, user data and EDC
// fields gives its 2352 bytes, and no field gives nothing. The C2 error bits (bits
// 2-1 = 01b) are served with the audio only; the C2 and block error bits (10b) and
// the reserved 11b are refused.
ImageDrive::SectorFields ImageDrive::ReadCdFields(uint8_t byte9) {
  switch ((byte9 >> 1) & 0x03) {
    case 0: return byte9 != 0 ? SectorFields::Audio : SectorFields::None;
    case 1: return (byte9 & 0xF8) != 0 ? SectorFields::AudioWithC2 : SectorFields::Unsupported;
    default: return SectorFields::Unsupported;
  }
}

ScsiOutcome ImageDrive::ReadSectors(const ScsiRequest& request, uint32_t first, uint32_t count,
                                    SectorFields fields) {
  ++readCommands_;
  if (fields == SectorFields::Unsupported) return IllegalRequest(kAscInvalidField);
  if (static_cast<uint64_t>(first) + count > image_->LeadOutSector()) return IllegalRequest(kAscOutOfRange);
  if (count == 0 || fields == SectorFields::None) return Good();
  bool withC2 = fields == SectorFields::AudioWithC2;
  uint64_t bytes = static_cast<uint64_t>(count) * (withC2 ? kSectorBytes + kC2Bytes : kSectorBytes);
  // The initiator's buffer cannot take the transfer: the transport fails it, as a
  // host adapter does on a data overrun.
  if (request.dataIn == nullptr || request.dataInLength < bytes) return ScsiOutcome{ScsiStatus::Failed, {}, EOVERFLOW};
  if (badSectors_.ReadFails(first, count)) return Refuse(kSenseMediumError, kAscReadError);
  if (!image_->ReadSectors(first, count, request.dataIn)) return Refuse(kSenseMediumError, kAscReadError);
  std::vector<bool> noisy = flakySectors_.TakeRead(first, count);
  for (uint32_t i = 0; i < count; ++i) {
    if (noisy[i]) MakeNoise(request.dataIn + static_cast<size_t>(i) * kSectorBytes, noisyReadings_++);
  }
  if (withC2) InsertC2Bits(request.dataIn, count, noisy);
  return Good();
}

ScsiOutcome ImageDrive::PlayAudio(const ScsiRequest& request) {
  uint32_t start = Be32(request.cdb, 2);
  uint32_t length = Be32(request.cdb, 6);
  if (length == 0) return Good();  // no audio operation, and no error
  if (static_cast<uint64_t>(start) + length > image_->LeadOutSector()) return IllegalRequest(kAscOutOfRange);
  play_ = PlayState::Playing;
  playFrom_ = start;
  playEnd_ = start + length;
  playStartedAt_ = clock_->Now();
  return Good();
}

ScsiOutcome ImageDrive::PauseResume(const ScsiRequest& request) {
  bool resume = (request.cdb[8] & 0x01) != 0;
  if (play_ != PlayState::Playing && play_ != PlayState::Paused) return IllegalRequest(kAscSequenceError);
  if (resume && play_ == PlayState::Paused) {
    play_ = PlayState::Playing;
    playFrom_ = position_;
    playStartedAt_ = clock_->Now();
  } else if (!resume && play_ == PlayState::Playing) {
    position_ = PlayPosition();
    play_ = PlayState::Paused;
  }
  return Good();
}

ScsiOutcome ImageDrive::StartStop(const ScsiRequest& request) {
  bool start = (request.cdb[4] & 0x01) != 0;
  bool loadEject = (request.cdb[4] & 0x02) != 0;
  if (play_ == PlayState::Playing) position_ = PlayPosition();
  if (loadEject && !start) {
    hasMedium_ = false;
    play_ = PlayState::Idle;
  } else if (loadEject) {
    hasMedium_ = true;
    play_ = PlayState::Idle;
    position_ = 0;
  } else if (start) {
    if (!hasMedium_) return Refuse(kSenseNotReady, kAscNoMedium);
  } else {
    play_ = PlayState::Idle;  // stopping the disc ends audio play
  }
  return Good();
}

ScsiOutcome ImageDrive::ReadSubChannel(const ScsiRequest& request) {
  std::span<const uint8_t> cdb = request.cdb;
  bool msf = (cdb[1] & 0x02) != 0;
  bool subQ = (cdb[2] & 0x40) != 0;
  uint8_t format = cdb[3];
  if (subQ && (format == 0 || format > 3)) return IllegalRequest(kAscInvalidField);
  uint8_t status = 0x15;
  switch (play_) {
    case PlayState::Playing: status = 0x11; break;
    case PlayState::Paused: status = 0x12; break;
    case PlayState::Completed: status = 0x13; break;
    case PlayState::Idle: status = 0x15; break;
  }
  std::vector<uint8_t> reply = {0, status, 0, 0};
  if (subQ && format == 1) {
    AppendCurrentPosition(reply, msf);
  } else if (subQ) {
    uint8_t number = format == 3 ? cdb[6] : 0;
    if (format == 3 && std::none_of(image_->Tracks().begin(), image_->Tracks().end(),
                                    [number](const ImageTrack& t) { return t.number == number; })) {
      return IllegalRequest(kAscInvalidField);
    }
    reply.insert(reply.end(), {format, format == 3 ? uint8_t{0x10} : uint8_t{0}, number, 0});
    reply.resize(24, 0);  // no catalog number or ISRC: the valid bit (byte 8, bit 7) stays clear
  }
  reply[3] = static_cast<uint8_t>(reply.size() - 4);
  // The completion status is reported once; later requests see "no status".
  if (play_ == PlayState::Completed) play_ = PlayState::Idle;
  return Respond(request, reply, Be16(cdb, 7));
}

// The Q sub-channel's current position: in a pregap (INDEX 00) the track is the one
// that follows and the relative address counts up towards 0, as on a disc.
void ImageDrive::AppendCurrentPosition(std::vector<uint8_t>& reply, bool msf) const {
  uint32_t position = PlayPosition();
  const ImageTrack* track = image_->TrackAt(position);
  uint8_t adrControl = static_cast<uint8_t>(0x10 | (track ? track->control : 0));
  uint8_t index = (track && position < track->startSector) ? 0 : 1;
  int64_t relative = track ? static_cast<int64_t>(position) - track->startSector : 0;
  reply.insert(reply.end(), {0x01, adrControl, static_cast<uint8_t>(track ? track->number : kLeadOutTrack), index});
  PutBe32(reply, msf ? MsfAddress(position) : position);
  uint32_t relativeField = msf ? MsfAddress(static_cast<uint32_t>(std::max<int64_t>(relative, 0))) - kLeadInSectors
                               : static_cast<uint32_t>(relative);
  PutBe32(reply, relativeField);
}

void ImageDrive::UpdatePlay() {
  if (play_ != PlayState::Playing) return;
  uint32_t position = PlayPosition();
  if (position >= playEnd_) {
    play_ = PlayState::Completed;
    position_ = playEnd_ - 1;
  }
}

uint32_t ImageDrive::PlayPosition() const {
  if (play_ != PlayState::Playing) return position_;
  int64_t elapsed = (clock_->Now() - playStartedAt_).count();
  uint64_t played = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * kSectorsPerSecond / 1000;
  return static_cast<uint32_t>(std::min<uint64_t>(playFrom_ + played, playEnd_));
}

}  // namespace sonvarek
