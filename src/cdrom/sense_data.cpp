#include "cdrom/sense_data.h"

#include <array>
#include <string_view>

#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr std::array<std::string_view, 16> kKeyNames = {
    "NO SENSE",        "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
    "HARDWARE ERROR",  "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
    "BLANK CHECK",     "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
    "EQUAL",           "VOLUME OVERFLOW", "MISCOMPARE",     "COMPLETED"};

struct AdditionalSense {
  uint8_t asc;
  uint8_t ascq;
  std::string_view text;
};

// The conditions a CD drive reports in practice; others are shown by number only.
constexpr std::array kAdditionalSense = {
    AdditionalSense{0x04, 0x00, "logical unit not ready"},
    AdditionalSense{0x04, 0x01, "logical unit is becoming ready"},
    AdditionalSense{0x11, 0x00, "unrecovered read error"},
    AdditionalSense{0x11, 0x05, "L-EC uncorrectable error"},
    AdditionalSense{0x11, 0x06, "CIRC unrecovered error"},
    AdditionalSense{0x15, 0x00, "random positioning error"},
    AdditionalSense{0x20, 0x00, "invalid command operation code"},
    AdditionalSense{0x21, 0x00, "logical block address out of range"},
    AdditionalSense{0x24, 0x00, "invalid field in CDB"},
    AdditionalSense{0x28, 0x00, "medium may have changed"},
    AdditionalSense{0x29, 0x00, "power on or reset occurred"},
    AdditionalSense{0x2C, 0x00, "command sequence error"},
    AdditionalSense{0x3A, 0x00, "medium not present"},
    AdditionalSense{0x3A, 0x01, "medium not present, tray closed"},
    AdditionalSense{0x3A, 0x02, "medium not present, tray open"},
    AdditionalSense{0x64, 0x00, "illegal mode for this track"},
};

}  // namespace

std::optional<SenseCode> ParseSense(std::span<const uint8_t> sense) {
  if (sense.size() < 4) return std::nullopt;
  uint8_t responseCode = sense[0] & 0x7F;
  if (responseCode == 0x72 || responseCode == 0x73) {
    return SenseCode{static_cast<uint8_t>(sense[1] & 0x0F), sense[2], sense[3]};
  }
  if (responseCode != 0x70 && responseCode != 0x71) return std::nullopt;
  SenseCode code;
  code.key = sense[2] & 0x0F;
  // ASC and ASCQ count only when the additional length says the drive sent them.
  size_t sent = sense.size() >= 8 ? 8u + sense[7] : 0u;
  if (sense.size() >= 14 && sent >= 14) {
    code.asc = sense[12];
    code.ascq = sense[13];
  }
  return code;
}

SenseBytes MakeSense(SenseCode code) {
  SenseBytes sense{};
  sense[0] = 0x70;
  sense[2] = code.key & 0x0F;
  sense[7] = 10;  // additional length of the 18-byte fixed format
  sense[12] = code.asc;
  sense[13] = code.ascq;
  return sense;
}

std::string SenseText(std::span<const uint8_t> sense) {
  std::optional<SenseCode> code = ParseSense(sense);
  if (!code) return "no sense data";
  std::string text(kKeyNames[code->key & 0x0F]);
  for (const AdditionalSense& known : kAdditionalSense) {
    if (known.asc == code->asc && known.ascq == code->ascq) {
      text += ", ";
      text += known.text;
      break;
    }
  }
  return text + FormatText(" (sense %02X/%02X/%02X)", static_cast<unsigned>(code->key),
                           static_cast<unsigned>(code->asc), static_cast<unsigned>(code->ascq));
}

}  // namespace sonvarek
