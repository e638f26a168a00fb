#include "verify/accuraterip_server.h"

#include <cstdlib>

namespace sonvarek {

std::string EffectiveAccurateRipServer(const std::string& setting) {
  const char* override = std::getenv("SONVAREK_ACCURATERIP_SERVER");  // NOLINT(concurrency-mt-unsafe): read, never set
  return override != nullptr ? std::string(override) : setting;
}

}  // namespace sonvarek
