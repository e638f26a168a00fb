#pragma once

#include <optional>
#include <string>

#include "session/disc_session.h"

namespace sonvarek {

enum class CdPlayerIniDirection { Import, Export };

struct CdPlayerIniExchange {
  bool exchanged = false;  // false after the failure was told
  bool saved = false;      // the local disc database written afterwards
  // After an export: the file and the disc's section in it (the volume id in hex).
  std::string path;
  std::optional<std::string> section;
};

// The File menu's Import from / Export to cdplayer.ini on the disc read in `session`,
// then the local disc database saved as at exit, so that what an import brought is kept.
CdPlayerIniExchange ExchangeCdPlayerIni(DiscSession& session, CdPlayerIniDirection direction);

}  // namespace sonvarek
