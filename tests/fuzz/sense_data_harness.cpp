// Sense data as a drive may return it.
#include <span>

#include "cdrom/sense_data.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

void FuzzSenseData(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> sense(data, size);
  const std::optional<SenseCode> code = ParseSense(sense);
  const std::string text = SenseText(sense);
  if (!code) {
    FUZZ_CHECK(text == "no sense data");
    return;
  }
  const uint8_t format = data[0] & 0x7F;
  FUZZ_CHECK(format >= 0x70 && format <= 0x73);
  FUZZ_CHECK(text.ends_with(")") && text.find("(sense ") != std::string::npos);
  // The drive's own form of the same codes reads back as them.
  const SenseBytes made = MakeSense(*code);
  const std::optional<SenseCode> again = ParseSense(std::span<const uint8_t>(made.data(), made.size()));
  FUZZ_CHECK(again && again->key == code->key && again->asc == code->asc && again->ascq == code->ascq);
}

}  // namespace sonvarek::fuzz
