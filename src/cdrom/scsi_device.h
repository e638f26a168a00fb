#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace sonvarek {

// Fixed-format sense data as kept by the driver (the first 16 bytes).
inline constexpr size_t kSenseBytes = 16;
using SenseBytes = std::array<uint8_t, kSenseBytes>;

// One command block with its data buffer. Data goes to the device when a data-out
// buffer with a length is given; otherwise it comes from the device into `dataIn`
// (absent with length 0 for commands without data).
struct ScsiRequest {
  std::span<const uint8_t> cdb;
  const uint8_t* dataOut = nullptr;
  uint32_t dataOutLength = 0;
  uint8_t* dataIn = nullptr;
  uint32_t dataInLength = 0;

  bool SendsData() const { return dataOut != nullptr && dataOutLength > 0; }
};

enum class ScsiStatus {
  Good,            // the command completed
  CheckCondition,  // the device refused it; `sense` says why
  Failed,          // the transport failed (time-out, no device, system error)
};

struct ScsiOutcome {
  ScsiStatus status = ScsiStatus::Failed;
  SenseBytes sense{};    // valid with CheckCondition
  int systemError = 0;   // errno of a transport failure, 0 when none is known
};

// One CD device that executes command blocks: a SCSI generic or block device node,
// or the in-process image drive. Implementations never write beyond `dataInLength`.
class ScsiDevice {
 public:
  virtual ~ScsiDevice() = default;
  virtual ScsiOutcome Execute(const ScsiRequest& request) = 0;
};

}  // namespace sonvarek
