#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/cd_units.h"
#include "cdrom/drive_units.h"
#include "cdrom/scsi_device.h"
#include "cdrom/sense_data.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

// What the fake devices saw: every command block in order.
struct CommandLog {
  std::vector<std::vector<uint8_t>> commands;
  std::vector<uint32_t> dataInLengths;
};

// A device that fails while the shared failure count is above 0 (using one each
// time, with `failure` as outcome), then answers with `reply` in the data-in buffer.
class FakeDevice final : public ScsiDevice {
 public:
  FakeDevice(std::shared_ptr<CommandLog> log, std::shared_ptr<int> failures, std::shared_ptr<ScsiOutcome> failure,
             std::vector<uint8_t> reply)
      : log_(std::move(log)), failures_(std::move(failures)), failure_(failure), reply_(std::move(reply)) {}

  ScsiOutcome Execute(const ScsiRequest& request) override {
    log_->commands.emplace_back(request.cdb.begin(), request.cdb.end());
    log_->dataInLengths.push_back(request.dataInLength);
    if (*failures_ > 0) {
      --*failures_;
      return *failure_;
    }
    if (request.dataIn != nullptr) {
      size_t length = std::min<size_t>(reply_.size(), request.dataInLength);
      std::copy(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(length), request.dataIn);
    }
    return ScsiOutcome{ScsiStatus::Good, {}, 0};
  }

 private:
  std::shared_ptr<CommandLog> log_;
  std::shared_ptr<int> failures_;
  std::shared_ptr<ScsiOutcome> failure_;
  std::vector<uint8_t> reply_;
};

// INQUIRY data naming the device.
inline std::vector<uint8_t> InquiryReply(const std::string& vendor8, const std::string& product16) {
  std::vector<uint8_t> reply(36, ' ');
  reply[0] = 0x05;
  std::copy(vendor8.begin(), vendor8.end(), reply.begin() + 8);
  std::copy(product16.begin(), product16.end(), reply.begin() + 16);
  return reply;
}

// Opens every unit as a FakeDevice; all of them share one log and one failure count.
class FakeOpener final : public UnitOpener {
 public:
  std::unique_ptr<ScsiDevice> Open(const UnitLocation& unit, std::string& error) override {
    opened.push_back(unit.path);
    if (refuse) {
      error = unit.path + ": refused";
      return nullptr;
    }
    std::string name = std::filesystem::path(unit.path).filename().string().substr(0, 6);
    std::vector<uint8_t> data = reply.empty() ? InquiryReply("V-" + name, "MODEL") : reply;
    return std::make_unique<FakeDevice>(log, failures, failure, data);
  }

  std::shared_ptr<CommandLog> log = std::make_shared<CommandLog>();
  std::shared_ptr<int> failures = std::make_shared<int>(0);
  std::shared_ptr<ScsiOutcome> failure = std::make_shared<ScsiOutcome>(
      ScsiOutcome{ScsiStatus::CheckCondition, MakeSense({kSenseMediumError, 0x11, 0}), 0});
  std::vector<uint8_t> reply;
  bool refuse = false;
  std::vector<std::string> opened;
};

// A fake /sys with CD block devices sr<N> at the given SCSI addresses.
inline void AddBlockDevice(const std::string& sysfs, int number, const std::string& address) {
  namespace fs = std::filesystem;
  fs::path device = fs::path(sysfs) / "devices" / address;
  fs::create_directories(device);
  WriteWholeFile((device / "type").string(), "5\n");
  fs::path entry = fs::path(sysfs) / "block" / ("sr" + std::to_string(number));
  fs::create_directories(entry);
  fs::create_symlink(device, entry / "device");
}

// A fake SCSI generic device sg<N> of the given peripheral type.
inline void AddGenericDevice(const std::string& sysfs, int number, const std::string& address, int type) {
  namespace fs = std::filesystem;
  fs::path device = fs::path(sysfs) / "devices" / address;
  fs::create_directories(device);
  WriteWholeFile((device / "type").string(), std::to_string(type) + "\n");
  fs::path entry = fs::path(sysfs) / "class" / "scsi_generic" / ("sg" + std::to_string(number));
  fs::create_directories(entry);
  fs::create_symlink(device, entry / "device");
}

// `sectors` raw sectors whose every 4-byte word is (tag << 24 | sector index), so a
// test can tell which sector of which file it got.
inline std::string PatternedSectors(uint32_t tag, uint32_t sectors) {
  std::string bytes(static_cast<size_t>(sectors) * kSectorBytes, '\0');
  for (uint32_t s = 0; s < sectors; ++s) {
    uint32_t word = tag << 24 | s;
    for (size_t at = 0; at < kSectorBytes; at += 4) {
      for (int b = 0; b < 4; ++b) bytes[s * kSectorBytes + at + b] = static_cast<char>(word >> (8 * b));
    }
  }
  return bytes;
}

// The tag and sector index of a sector read back (0xFF tag for digital silence).
inline std::pair<uint32_t, uint32_t> SectorIdentity(const uint8_t* sector) {
  uint32_t word = sector[0] | sector[1] << 8 | sector[2] << 16 | static_cast<uint32_t>(sector[3]) << 24;
  if (word == 0 && std::all_of(sector, sector + kSectorBytes, [](uint8_t b) { return b == 0; })) return {0xFF, 0};
  return {word >> 24, word & 0xFFFFFF};
}

// Tests choose their images and bad sectors themselves, whatever the caller's
// environment says.
inline const bool kImageEnvironmentCleared = [] {
  unsetenv("SONVAREK_CD_IMAGE");
  unsetenv("SONVAREK_CD_BAD_SECTORS");
  unsetenv("SONVAREK_CD_FLAKY_SECTORS");
  return true;
}();

inline std::string SampleDisc() { return std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue"; }
inline std::string SampleDiscWithData() { return std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc-data.cue"; }

}  // namespace sonvarek::test
