#include "cdrom/sg_request.h"

#include <cerrno>
#include <gtest/gtest.h>

#include "cdrom/command_sets.h"
#include "cdrom/sense_data.h"

namespace sonvarek {
namespace {

TEST(SgRequest, DataInRequestCarriesCommandBufferSenseAndTimeOut) {
  CommandBlock block = ReadCddaCommand(0, 0, 100, 26);
  std::vector<uint8_t> buffer(26 * 2352);
  uint8_t sense[16];
  ScsiRequest request{block.Bytes(), nullptr, 0, buffer.data(), static_cast<uint32_t>(buffer.size())};
  sg_io_hdr_t header = BuildSgRequest(request, sense, sizeof sense);
  EXPECT_EQ(header.interface_id, 'S');
  EXPECT_EQ(header.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(header.cmd_len, 12);
  EXPECT_EQ(header.cmdp, block.bytes.data());
  EXPECT_EQ(header.dxfer_len, 26u * 2352u);
  EXPECT_EQ(header.dxferp, buffer.data());
  EXPECT_EQ(header.sbp, sense);
  EXPECT_EQ(header.mx_sb_len, 16);
  EXPECT_EQ(header.timeout, 5000u);
  EXPECT_EQ(header.iovec_count, 0);
  EXPECT_EQ(header.flags, 0u);
}

TEST(SgRequest, DirectionFollowsTheBuffersGiven) {
  CommandBlock block = StopUnitCommand();
  uint8_t sense[16];
  uint8_t out[4] = {1, 2, 3, 4};
  uint8_t in[4];

  sg_io_hdr_t none = BuildSgRequest({block.Bytes(), nullptr, 0, nullptr, 0}, sense, 16);
  EXPECT_EQ(none.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(none.dxfer_len, 0u);
  EXPECT_EQ(none.dxferp, nullptr);
  EXPECT_EQ(none.cmd_len, 6);

  sg_io_hdr_t toDevice = BuildSgRequest({block.Bytes(), out, 4, in, 4}, sense, 16);
  EXPECT_EQ(toDevice.dxfer_direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(toDevice.dxferp, out);
  EXPECT_EQ(toDevice.dxfer_len, 4u);

  // A data-out buffer without a length sends nothing: the command reads instead.
  sg_io_hdr_t fromDevice = BuildSgRequest({block.Bytes(), out, 0, in, 4}, sense, 16);
  EXPECT_EQ(fromDevice.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(fromDevice.dxferp, in);
}

TEST(SgRequest, OutcomesOfTheCall) {
  CommandBlock block = InquiryCommand();
  uint8_t sense[16] = {};
  sg_io_hdr_t header = BuildSgRequest({block.Bytes(), nullptr, 0, nullptr, 0}, sense, 16);

  ScsiOutcome refused = OutcomeOfSgRequest(header, -1, ENOTTY);
  EXPECT_EQ(refused.status, ScsiStatus::Failed);
  EXPECT_EQ(refused.systemError, ENOTTY);

  EXPECT_EQ(OutcomeOfSgRequest(header, 0, 0).status, ScsiStatus::Good);

  SenseBytes medium = MakeSense({kSenseMediumError, 0x11, 0});
  std::copy(medium.begin(), medium.end(), sense);
  header.info = SG_INFO_CHECK;
  header.status = 0x02;
  header.masked_status = 0x01;
  header.sb_len_wr = 18;  // more than the buffer holds: only 16 bytes are taken
  ScsiOutcome check = OutcomeOfSgRequest(header, 0, 0);
  EXPECT_EQ(check.status, ScsiStatus::CheckCondition);
  EXPECT_EQ(check.sense, medium);

  header.status = 0;
  header.sb_len_wr = 0;
  header.host_status = 0x03;  // time-out in the host adapter
  ScsiOutcome lost = OutcomeOfSgRequest(header, 0, 0);
  EXPECT_EQ(lost.status, ScsiStatus::Failed);
  EXPECT_EQ(lost.systemError, EIO);
}

}  // namespace
}  // namespace sonvarek
