#include "session/cdplayer_ini_exchange.h"

#include "freedb/cdplayer_ini.h"
#include "freedb/disc_id.h"

namespace sonvarek {

CdPlayerIniExchange ExchangeCdPlayerIni(DiscSession& session, CdPlayerIniDirection direction) {
  CdPlayerIniExchange exchange;
  bool importing = direction == CdPlayerIniDirection::Import;
  exchange.exchanged = importing ? session.ImportCdPlayerIni() : session.ExportCdPlayerIni();
  exchange.saved = session.SaveDisc();
  if (!exchange.exchanged || importing) return exchange;
  exchange.path = CdPlayerIniPath(session.programFolder());
  if (std::optional<uint32_t> volumeId = session.ComputeIds().volumeId) exchange.section = HexId(*volumeId);
  return exchange;
}

}  // namespace sonvarek
