#include "cdrom/scsi_driver.h"

#include <algorithm>
#include <cstring>

#include "core/cd_units.h"
#include "cdrom/sense_data.h"
#include "platform/file.h"

namespace sonvarek {

std::string DeviceRecord::DisplayName() const {
  std::string name(vendor.begin(), vendor.end());
  name.append(product.begin(), product.end());
  return name.substr(0, name.find('\0'));
}

void CopyInquiryIdentification(std::span<const uint8_t> inquiry, DeviceRecord& record) {
  if (inquiry.size() < 36) return;
  std::memcpy(record.vendor.data(), inquiry.data() + 8, record.vendor.size());
  std::memcpy(record.product.data(), inquiry.data() + 16, record.product.size());
  std::memcpy(record.revision.data(), inquiry.data() + 32, record.revision.size());
}

uint8_t CSCSIDriver::SelectedLunBits() const {
  if (selectedDevice_ < 0 || selectedDevice_ >= deviceCount_) return 0;
  return LunBits(devices_[selectedDevice_].lun);
}

void CSCSIDriver::NoteOutcome(const ScsiOutcome& outcome) {
  switch (outcome.status) {
    case ScsiStatus::Good:
      lastErrorText_.clear();
      break;
    case ScsiStatus::CheckCondition:
      lastSense_ = outcome.sense;
      lastErrorText_ = SenseText(outcome.sense);
      break;
    case ScsiStatus::Failed:
      lastErrorText_ = outcome.systemError != 0 ? SystemErrorText(outcome.systemError) : "the command did not complete";
      break;
  }
}

void CSCSIDriver::NoteNothingSent(const char* reason) { lastErrorText_ = reason; }

void CSCSIDriver::ClearDeviceTable() {
  devices_.fill(DeviceRecord());
  deviceCount_ = 0;
  selectedDevice_ = 0;
}

bool CSCSIDriver::SendOnce(const CommandBlock& block, uint8_t* dataIn, uint32_t dataInLength) {
  return Completed(ExecSCSI(block.bytes.data(), block.length, nullptr, 0, dataIn, dataInLength));
}

bool CSCSIDriver::SendRepeated(const CommandBlock& block, uint8_t* dataIn, uint32_t dataInLength) {
  int32_t tries = RepeatedOperationTries();
  if (tries < 1) NoteNothingSent("no read attempt allowed (RetryTimes is below 1)");
  for (int32_t attempt = 0; attempt < tries; ++attempt) {
    if (SendOnce(block, dataIn, dataInLength)) return true;
  }
  return false;
}

int32_t CSCSIDriver::Pause(bool pause) { return SendOnce(PauseResumeCommand(SelectedLunBits(), pause), nullptr, 0); }

int32_t CSCSIDriver::GetPlayPosition(int32_t& relative, int32_t& absolute, int32_t& status) {
  std::array<uint8_t, 48> data{};
  if (!ReadSubChannel(1, data.data(), static_cast<int32_t>(data.size()), 0)) return 0;
  auto word = [&](size_t at) {
    return static_cast<int32_t>(static_cast<uint32_t>(data[at]) << 24 | static_cast<uint32_t>(data[at + 1]) << 16 |
                                static_cast<uint32_t>(data[at + 2]) << 8 | data[at + 3]);
  };
  status = data[1];
  absolute = word(8);
  relative = word(12);
  return 1;
}

int32_t CSCSIDriver::ReadSubChannel(uint8_t format, uint8_t* buffer, int32_t length, uint8_t track) {
  if (buffer == nullptr || length < 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(length));
  uint16_t allocation = static_cast<uint16_t>(std::min(length, 0xFFFF));
  return SendOnce(ReadSubChannelCommand(SelectedLunBits(), format, track, allocation), buffer, allocation);
}

int32_t CSCSIDriver::Eject() { return SendOnce(EjectCommand(), nullptr, 0); }

int32_t CSCSIDriver::StopUnit() { return SendOnce(StopUnitCommand(), nullptr, 0); }

int32_t CSCSIDriver::PlayAudio(uint32_t start, uint32_t end) { return SendOnce(PlayAudioCommand(start, end), nullptr, 0); }

int32_t CSCSIDriver::ReadCDDA(const CDDAReadRequest& request) {
  uint64_t needed = static_cast<uint64_t>(request.sectorCount) * kSectorBytes;
  if (request.buffer == nullptr || request.bufferLength < needed) {
    NoteNothingSent("the read buffer is smaller than the sectors asked for");
    return 0;
  }
  CommandBlock block =
      ReadCddaCommand(options_.deviceType, SelectedLunBits(), request.firstSector, request.sectorCount);
  return SendRepeated(block, request.buffer, request.bufferLength);
}

int32_t CSCSIDriver::ReadCDDAWithC2(const CDDAReadRequest& request) {
  uint64_t needed = static_cast<uint64_t>(request.sectorCount) * kCdSectorWithC2Bytes;
  if (request.buffer == nullptr || request.bufferLength < needed) {
    NoteNothingSent("the read buffer is smaller than the sectors asked for");
    return 0;
  }
  CommandBlock block = ReadCdWithC2Command(SelectedLunBits(), request.firstSector, request.sectorCount);
  return SendOnce(block, request.buffer, static_cast<uint32_t>(needed));
}

int32_t CSCSIDriver::ReadTOC(DiscTOC& toc, int32_t msf) {
  toc.bytes.fill(0);
  return SendRepeated(ReadTocCommand(msf == 1), toc.bytes.data(), static_cast<uint32_t>(toc.bytes.size()));
}

}  // namespace sonvarek
