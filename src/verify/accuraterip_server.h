#pragma once

#include <string>

namespace sonvarek {

// The AccurateRip server a look-up goes to: $SONVAREK_ACCURATERIP_SERVER when it is
// set (empty turns look-ups off, as the tests and offline runs want), else the
// setting. Empty: no look-up.
std::string EffectiveAccurateRipServer(const std::string& setting);

}  // namespace sonvarek
