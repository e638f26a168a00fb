#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cdrom/command_sets.h"
#include "core/disc_toc.h"
#include "cdrom/scsi_device.h"
#include "core/settings.h"

namespace sonvarek {

// One CD device. The identification fields are INQUIRY bytes 8-15, 16-31 and 32-35
// as they come (space padded, never terminated).
struct DeviceRecord {
  std::array<char, 8> vendor{};
  std::array<char, 16> product{};
  std::array<char, 4> revision{};
  int32_t hostAdapter = 0;
  int32_t target = 0;
  int32_t lun = 0;
  std::string devicePath;  // the unit's "drive letter": /dev/srN, /dev/sgN or the image's .cue

  // The 8 vendor bytes followed by the 16 product bytes (up to a first NUL byte).
  std::string DisplayName() const;
};

// The argument of ReadCDDA: `bufferLength` must be at least sectorCount × 2352.
struct CDDAReadRequest {
  uint32_t firstSector = 0;
  uint32_t sectorCount = 0;
  uint32_t bufferLength = 0;
  uint8_t* buffer = nullptr;
};

inline constexpr int kDeviceTableSize = 16;

// A sector with its C2 error pointers, as ReadCDDAWithC2 returns it.
inline constexpr uint32_t kC2PointerBytes = 294;
inline constexpr uint32_t kCdSectorWithC2Bytes = 2352 + kC2PointerBytes;

// Audio status of READ SUB-CHANNEL byte 1.
inline constexpr int32_t kAudioPlaying = 0x11;
inline constexpr int32_t kAudioPaused = 0x12;
inline constexpr int32_t kAudioCompleted = 0x13;
inline constexpr int32_t kAudioError = 0x14;
inline constexpr int32_t kAudioNoStatus = 0x15;

// What the driver reads of the settings: `RetryTimes` and `DeviceType`. A copy taken
// when a command or a batch starts, so that a worker never reads the record that the
// windows own and may change meanwhile. (The transport, `bUseASPI`, is chosen once,
// when the driver is made.)
struct DriveOptions {
  int32_t retryTimes = 5;
  int32_t deviceType = 0;

  DriveOptions() = default;
  // A copy of the two settings; implicit, since taking the copy is the whole point.
  DriveOptions(const Settings& settings)  // NOLINT(google-explicit-constructor)
      : retryTimes(settings.RetryTimes), deviceType(settings.DeviceType) {}
};

// The CD driver: every access to a CD drive goes through one object of this class.
// Command operations build their command block and hand it to ExecSCSI; they return
// non-zero only when the command completed (within the retry budget for ReadTOC and
// ReadCDDA) and 0 otherwise, also when there is no device. They use the driver's own
// copy of the options. The driver has no lock: callers keep one thread at a time on
// it (the player stops before a rip starts), and change its options only while no
// worker uses it.
class CSCSIDriver {
 public:
  explicit CSCSIDriver(DriveOptions options) : options_(options) {}
  virtual ~CSCSIDriver() = default;
  CSCSIDriver(const CSCSIDriver&) = delete;
  CSCSIDriver& operator=(const CSCSIDriver&) = delete;

  // PAUSE/RESUME; false resumes.
  virtual int32_t Pause(bool pause);
  // READ SUB-CHANNEL format 1 into 48 bytes: status = byte 1, absolute = bytes 8-11,
  // relative = bytes 12-15. Outputs are untouched when the command fails.
  virtual int32_t GetPlayPosition(int32_t& relative, int32_t& absolute, int32_t& status);
  // Clears `length` bytes of `buffer`, then READ SUB-CHANNEL into it.
  virtual int32_t ReadSubChannel(uint8_t format, uint8_t* buffer, int32_t length, uint8_t track);
  virtual int32_t Eject();
  virtual int32_t StopUnit();
  // PLAY AUDIO(12) from `start` up to `end` (exclusive).
  virtual int32_t PlayAudio(uint32_t start, uint32_t end);
  // The read command of the DeviceType setting. Fails without sending when the
  // buffer is absent or shorter than sectorCount × 2352.
  virtual int32_t ReadCDDA(const CDDAReadRequest& request);
  // READ CD of audio sectors followed, per sector, by its 294 bytes of C2 error
  // pointers (one bit per audio byte, set where the drive could not correct it),
  // whatever DeviceType says. Sent once, without retries: a drive that refuses the
  // C2 field fails here and the caller reads without it. `bufferLength` must be at
  // least sectorCount × kCdSectorWithC2Bytes.
  virtual int32_t ReadCDDAWithC2(const CDDAReadRequest& request);
  // Clears the TOC, then READ TOC format 0 with addresses as minute/second/frame
  // (msf 1) or logical block addresses (any other value).
  virtual int32_t ReadTOC(DiscTOC& toc, int32_t msf);
  // Sends one command block to the selected device; data goes out when `dataOut`
  // and its length are given, otherwise comes in. The result is the transport's own
  // (see each kind).
  virtual int32_t ExecSCSI(const uint8_t* cdb, int32_t cdbLength, const uint8_t* dataOut, uint32_t dataOutLength,
                           uint8_t* dataIn, uint32_t dataInLength) = 0;
  // Lists the devices and selects `unit` (device 0 when out of range); true when the
  // driver is usable.
  virtual int32_t Init(int32_t unit) = 0;

  // A fresh copy of the options, taken when a command or a batch starts.
  void SetOptions(DriveOptions options) { options_ = options; }
  const DriveOptions& Options() const { return options_; }

  int32_t DeviceCount() const { return deviceCount_; }
  int32_t SelectedDevice() const { return selectedDevice_; }
  std::span<const DeviceRecord> Devices() const { return {devices_.data(), static_cast<size_t>(deviceCount_)}; }
  // Sense data of the last command that ended in CHECK CONDITION.
  const SenseBytes& LastSense() const { return lastSense_; }
  // Why the last command failed, in words: the sense, the system's error text, or
  // that nothing could be sent.
  const std::string& LastErrorText() const { return lastErrorText_; }
  // Errors met while listing units (images that could not be loaded), one per unit.
  const std::vector<std::string>& UnitErrors() const { return unitErrors_; }

 protected:
  // Whether an ExecSCSI result means "completed".
  virtual bool Completed(int32_t execResult) const = 0;
  // How often ReadTOC and ReadCDDA send their command at most.
  virtual int32_t RepeatedOperationTries() const = 0;

  int32_t RetryTimes() const { return options_.retryTimes; }
  uint8_t SelectedLunBits() const;
  // Keeps what a transport learned about a command, for LastSense/LastErrorText.
  void NoteOutcome(const ScsiOutcome& outcome);
  void NoteNothingSent(const char* reason);
  void ClearDeviceTable();

  std::array<DeviceRecord, kDeviceTableSize> devices_{};
  int32_t deviceCount_ = 0;
  int32_t selectedDevice_ = 0;
  std::vector<std::string> unitErrors_;

 private:
  bool SendOnce(const CommandBlock& block, uint8_t* dataIn, uint32_t dataInLength);
  bool SendRepeated(const CommandBlock& block, uint8_t* dataIn, uint32_t dataInLength);

  DriveOptions options_;
  SenseBytes lastSense_{};
  std::string lastErrorText_;
};

// Copies vendor, product and revision from INQUIRY data (fewer than 36 bytes leave
// the record as it is).
void CopyInquiryIdentification(std::span<const uint8_t> inquiry, DeviceRecord& record);

}  // namespace sonvarek
