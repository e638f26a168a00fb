#include "cdrom/sg_request.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sonvarek {
namespace {

constexpr unsigned char kStatusCheckCondition = 0x02;
constexpr unsigned short kDriverSense = 0x08;

}  // namespace

sg_io_hdr_t BuildSgRequest(const ScsiRequest& request, uint8_t* sense, uint8_t senseLength, unsigned timeoutMs) {
  sg_io_hdr_t header;
  std::memset(&header, 0, sizeof header);
  header.interface_id = 'S';
  if (request.SendsData()) {
    header.dxfer_direction = SG_DXFER_TO_DEV;
    header.dxfer_len = request.dataOutLength;
    // SG_IO only reads an outgoing buffer; the field is not const in the kernel's struct.
    header.dxferp = const_cast<uint8_t*>(request.dataOut);
  } else if (request.dataIn != nullptr && request.dataInLength > 0) {
    header.dxfer_direction = SG_DXFER_FROM_DEV;
    header.dxfer_len = request.dataInLength;
    header.dxferp = request.dataIn;
  } else {
    header.dxfer_direction = SG_DXFER_NONE;
  }
  header.cmd_len = static_cast<unsigned char>(std::min<size_t>(request.cdb.size(), 16));
  header.cmdp = const_cast<uint8_t*>(request.cdb.data());
  header.mx_sb_len = senseLength;
  header.sbp = sense;
  header.timeout = timeoutMs;
  return header;
}

ScsiOutcome OutcomeOfSgRequest(const sg_io_hdr_t& request, int ioctlResult, int error) {
  ScsiOutcome outcome;
  if (ioctlResult < 0) {
    outcome.systemError = error;
    return outcome;
  }
  if ((request.info & SG_INFO_OK_MASK) == SG_INFO_OK) {
    outcome.status = ScsiStatus::Good;
    return outcome;
  }
  bool checkCondition = (request.status & 0x7E) == kStatusCheckCondition ||
                        ((request.driver_status & kDriverSense) != 0 && request.sb_len_wr > 0);
  if (checkCondition && request.sbp != nullptr) {
    outcome.status = ScsiStatus::CheckCondition;
    size_t written = std::min<size_t>({request.sb_len_wr, request.mx_sb_len, kSenseBytes});
    std::memcpy(outcome.sense.data(), request.sbp, written);
    return outcome;
  }
  outcome.systemError = (request.host_status != 0 || request.driver_status != 0) ? EIO : 0;
  if (request.duration >= request.timeout && request.timeout > 0) outcome.systemError = ETIMEDOUT;
  return outcome;
}

}  // namespace sonvarek
