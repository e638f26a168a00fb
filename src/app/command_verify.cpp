#include <algorithm>
#include <optional>
#include <ostream>
#include <vector>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "app/interrupt_catcher.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/rip_verification.h"

namespace sonvarek {
namespace {

struct VerifyOptions {
  DriveChoice drive;
  std::vector<std::string> files;
};

std::optional<VerifyOptions> ParseVerifyOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  VerifyOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, options.drive, err, ok)) {
      if (!ok) return std::nullopt;
      continue;
    }
    if (arguments[i].starts_with("--")) {
      TellUser(err, FormatText(text::kCliVerifyUnknownOption, arguments[i]));
      TellUser(err, text::kCliVerifyUsage);
      return std::nullopt;
    }
    options.files.push_back(arguments[i]);
  }
  if (!options.files.empty()) return options;
  TellUser(err, text::kCliVerifyNeedsFiles);
  TellUser(err, text::kCliVerifyUsage);
  return std::nullopt;
}

// kExitOk, kExitFailed after telling why the file was refused, or kExitCancelled.
int SumFile(RipVerification& verification, const std::string& path, const InterruptCatcher& interrupt,
            std::ostream& err) {
  switch (verification.SumNext(path, [&] { return interrupt.Interrupted(); })) {
    case FileSumResult::Summed: return kExitOk;
    case FileSumResult::Cancelled: return kExitCancelled;
    case FileSumResult::NotCdWav: TellUser(err, FormatText(text::kCliVerifyNotCdWav, path)); return kExitFailed;
    case FileSumResult::Unreadable: break;
  }
  TellUser(err, FormatText(text::kCliVerifyCantRead, path));
  return kExitFailed;
}

}  // namespace

// Checks existing rips, one WAV file per audio track in the disc's order, against the
// AccurateRip database: one line per file with its sums and verdict. 0 only when every
// file was read and found accurately ripped.
int RunVerifyCommand(const CommandContext& context) {
  std::optional<VerifyOptions> options = ParseVerifyOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  RipVerification verification(session);
  const int audioTracks = verification.audioTracks();
  const int fileCount = static_cast<int>(options->files.size());
  if (fileCount > audioTracks) {
    TellUser(context.err, FormatText(text::kCliVerifyTooManyFiles, fileCount, audioTracks));
    return kExitUsage;
  }
  const AccurateRipDiscIds& ids = verification.ids();
  InterruptCatcher interrupt;
  // Shown at once: the look-up that follows may take until the server's time-out.
  context.out << FormatText(text::kCliVerifyDiscId, ids.trackCount, ids.id1, ids.id2, ids.freedbId) << '\n'
              << std::flush;

  int status = kExitOk;
  for (const std::string& file : options->files) {
    const int fileStatus = SumFile(verification, file, interrupt, context.err);
    if (fileStatus == kExitCancelled) return kExitCancelled;
    status = std::max(status, fileStatus);
  }
  if (!verification.LookUp(disc.settings, [&] { return interrupt.Interrupted(); })) return kExitCancelled;
  for (const VerifiedFile& file : verification.Verdicts()) {
    context.out << FormatText(text::kCliVerifyTrack, file.number, file.v1, file.v2, file.verdict) << '\n';
    if (!file.accurate) status = kExitFailed;
  }
  return status;
}

}  // namespace sonvarek
