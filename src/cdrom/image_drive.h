#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cdrom/bad_sectors.h"
#include "cdrom/disc_image.h"
#include "cdrom/play_clock.h"
#include "cdrom/scsi_device.h"

namespace sonvarek {

struct ImageDriveOptions {
  BadSectorList badSectors;
  std::shared_ptr<PlayClock> clock;  // the steady clock when absent
  BadSectorList flakySectors{};  // "{}" keeps {badSectors, clock} initialisers free of warnings
};

// $SONVAREK_CD_BAD_SECTORS and $SONVAREK_CD_FLAKY_SECTORS as image drive options;
// nothing, with `error` naming the variable, when one holds something else than
// sector ranges.
std::optional<ImageDriveOptions> ImageDriveOptionsFromEnvironment(std::string& error);

// A CD drive emulated from a disc image. It answers the MMC command blocks the
// driver sends as a drive does: INQUIRY ("SONVAREK" "IMAGE DRIVE"), READ TOC format 0
// (LBA or MSF), READ CD / READ(10) / 0xD4 / 0xD8 returning raw 2352-byte sectors
// (READ CD with byte 9 = 0x12 follows each with its 294 bytes of C2 error bits),
// PLAY AUDIO(12), PAUSE/RESUME, START STOP UNIT and READ SUB-CHANNEL, with a play
// position that advances in real time (75 sectors a second on its clock). Refusals
// end in CHECK CONDITION: ILLEGAL REQUEST for unknown opcodes, bad fields (READ CD's
// C2 and block error bits among them) and addresses past the lead-out, NOT READY
// without a medium (after an eject, until a load), MEDIUM ERROR for reads that touch
// a bad sector. A flaky sector reads well but as different noise every time, never
// its true bytes, with all its C2 bits set; a "*N" range of them reads true after N
// reads that returned it. Once its CUE sheet or a BIN file is deleted, every command
// fails with ENODEV, as on a drive whose device went away. Safe to use from several
// threads; commands are served one at a time.
class ImageDrive final : public ScsiDevice {
 public:
  // Loads the image; nothing, with `error` naming the file and line, when it is
  // missing or malformed.
  static std::unique_ptr<ImageDrive> Load(const std::string& cuePath, ImageDriveOptions options, std::string& error);
  ImageDrive(std::unique_ptr<DiscImage> image, ImageDriveOptions&& options);

  ScsiOutcome Execute(const ScsiRequest& request) override;

  // Test controls.
  void SetBadSectors(BadSectorList badSectors);
  void SetFlakySectors(BadSectorList flakySectors);
  void LoadMedium();  // what START STOP UNIT with LoEj and Start does
  bool HasMedium() const;
  // READ commands received (READ CD, READ(10), 0xD4, 0xD8), refused ones included.
  int ReadCommandCount() const;

 private:
  enum class PlayState { Idle, Playing, Paused, Completed };
  // What a read returns of each sector.
  enum class SectorFields { None, Audio, AudioWithC2, Unsupported };

  ScsiOutcome Dispatch(const ScsiRequest& request);
  ScsiOutcome Inquiry(const ScsiRequest& request);
  ScsiOutcome ReadToc(const ScsiRequest& request);
  static SectorFields ReadCdFields(uint8_t byte9);
  ScsiOutcome ReadSectors(const ScsiRequest& request, uint32_t first, uint32_t count, SectorFields fields);
  ScsiOutcome PlayAudio(const ScsiRequest& request);
  ScsiOutcome PauseResume(const ScsiRequest& request);
  ScsiOutcome StartStop(const ScsiRequest& request);
  ScsiOutcome ReadSubChannel(const ScsiRequest& request);
  void AppendCurrentPosition(std::vector<uint8_t>& reply, bool msf) const;
  bool DeviceGone();
  void UpdatePlay();
  uint32_t PlayPosition() const;

  mutable std::mutex mutex_;
  std::unique_ptr<DiscImage> image_;
  bool gone_ = false;
  BadSectorList badSectors_;
  BadSectorList flakySectors_;
  uint64_t noisyReadings_ = 0;  // numbers each noisy reading of a flaky sector
  std::shared_ptr<PlayClock> clock_;
  bool hasMedium_ = true;
  int readCommands_ = 0;
  PlayState play_ = PlayState::Idle;
  uint32_t playFrom_ = 0;     // sector where the current stretch of play began
  uint32_t playEnd_ = 0;      // exclusive
  uint32_t position_ = 0;     // last known position while not playing
  std::chrono::milliseconds playStartedAt_{0};
};

}  // namespace sonvarek
