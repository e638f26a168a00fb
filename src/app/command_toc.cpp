#include <memory>
#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/disc_toc.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

std::optional<DriveChoice> ParseTocOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  DriveChoice choice;
  for (size_t i = 0; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, choice, err, ok) && ok) continue;
    if (ok) TellUser(err, text::kCliTocUsage);
    return std::nullopt;
  }
  return choice;
}

void PrintToc(const DiscReading& reading, const DiscTOC& toc, std::ostream& out) {
  for (const TocTrack& track : reading.tracks) {
    out << FormatText("%02d  %6u  %6u  %s  %s%s\n", track.number, track.startSector, track.endSector,
                      track.lengthText, track.sizeText, track.isData ? "  data" : "");
  }
  out << FormatText("lead-out  %u\n", LeadOutSector(toc));
}

// The ids on lines of their own; false when the minute/second/frame table of contents
// the freedb and volume ids come from could not be read.
bool PrintIds(const DiscIds& ids, std::ostream& out, std::ostream& err) {
  if (ids.freedb) out << FormatText(text::kCliTocFreedbId, ids.freedb->discId) << '\n';
  out << FormatText(text::kCliTocCacheId, ids.cacheId) << '\n';
  if (ids.volumeId) out << FormatText(text::kCliTocVolumeId, *ids.volumeId) << '\n';
  if (ids.freedb && ids.volumeId) return true;
  TellUser(err, text::kErrorReadingVolumeId);
  return false;
}

}  // namespace

// Reads the table of contents as the track list shows it: one line per track with
// its number, start and end sector, length and size, then the lead-out and the
// disc's freedb, cache and volume ids.
int RunTocCommand(const CommandContext& context) {
  std::optional<DriveChoice> choice = ParseTocOptions(context.arguments, context.err);
  if (!choice) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(*choice)); status != kExitOk) return status;
  PrintToc(session.reading(), session.toc(), context.out);
  return PrintIds(session.ComputeIds(), context.out, context.err) ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
