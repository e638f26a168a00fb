#pragma once

#include <cstdint>
#include <scsi/sg.h>

#include "cdrom/scsi_device.h"

namespace sonvarek {

// Every command waits at most this long for the drive.
inline constexpr unsigned kCommandTimeoutMs = 5000;

// The SG_IO request for one command: direction from the request (to the device when
// it sends data, from the device when a data-in buffer is given, else none), the
// command block, the data buffer, `sense` of `senseLength` bytes and the time-out.
sg_io_hdr_t BuildSgRequest(const ScsiRequest& request, uint8_t* sense, uint8_t senseLength,
                           unsigned timeoutMs = kCommandTimeoutMs);

// What an SG_IO call that returned `ioctlResult` (with `error` as errno) means.
// CHECK CONDITION carries the sense bytes the driver wrote.
ScsiOutcome OutcomeOfSgRequest(const sg_io_hdr_t& request, int ioctlResult, int error);

}  // namespace sonvarek
