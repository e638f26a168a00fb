#include "app/cli.h"

#include <array>
#include <ostream>
#include <vector>

#include "app/cli_command.h"
#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr std::array kCommands = {
    CliCommand{"settings", text::kCliSynopsisSettings, text::kCliSummarySettings, RunSettingsCommand},
    CliCommand{"devices", text::kCliSynopsisDevices, text::kCliSummaryDevices, RunDevicesCommand},
    CliCommand{"toc", text::kCliSynopsisToc, text::kCliSummaryToc, RunTocCommand},
    CliCommand{"info", text::kCliSynopsisInfo, text::kCliSummaryInfo, RunInfoCommand},
    CliCommand{"cdplayer-ini", text::kCliSynopsisCdPlayerIni, text::kCliSummaryCdPlayerIni, RunCdPlayerIniCommand},
    CliCommand{"query", text::kCliSynopsisQuery, text::kCliSummaryQuery, RunQueryCommand},
    CliCommand{"submit", text::kCliSynopsisSubmit, text::kCliSummarySubmit, RunSubmitCommand},
    CliCommand{"play", text::kCliSynopsisPlay, text::kCliSummaryPlay, RunPlayCommand},
    CliCommand{"eject", text::kCliSynopsisEject, text::kCliSummaryEject, RunEjectCommand},
    CliCommand{"volume", text::kCliSynopsisVolume, text::kCliSummaryVolume, RunVolumeCommand},
    CliCommand{"rip", text::kCliSynopsisRip, text::kCliSummaryRip, RunRipCommand},
    CliCommand{"encode-mp3", text::kCliSynopsisEncodeMp3, text::kCliSummaryEncodeMp3, RunEncodeMp3Command},
    CliCommand{"encode-ogg", text::kCliSynopsisEncodeOgg, text::kCliSummaryEncodeOgg, RunEncodeOggCommand},
    CliCommand{"decode", text::kCliSynopsisDecode, text::kCliSummaryDecode, RunDecodeCommand},
    CliCommand{"normalize", text::kCliSynopsisNormalize, text::kCliSummaryNormalize, RunNormalizeCommand},
};

void PrintUsage(std::ostream& stream) {
  stream << text::kCliUsageHead;
  for (const CliCommand& command : kCommands) {
    std::string synopsis = command.synopsis;
    if (synopsis.size() < 34) {
      stream << "  " << synopsis << std::string(34 - synopsis.size(), ' ') << command.summary << '\n';
    } else {
      stream << "  " << synopsis << '\n' << std::string(36, ' ') << command.summary << '\n';
    }
  }
  stream << text::kCliUsageOptions;
}

struct Invocation {
  std::string home;
  std::string command;
  std::vector<std::string> rest;
  std::string error;
};

// --home may stand before or after the command.
Invocation Parse(std::span<const std::string> arguments) {
  Invocation invocation;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--home") {
      if (i + 1 >= arguments.size()) {
        invocation.error = text::kCliHomeNeedsFolder;
        return invocation;
      }
      invocation.home = arguments[++i];
    } else if (argument.rfind("--home=", 0) == 0) {
      invocation.home = argument.substr(7);
    } else if (invocation.command.empty()) {
      invocation.command = argument;
    } else {
      invocation.rest.push_back(argument);
    }
  }
  return invocation;
}

}  // namespace

void TellUser(std::ostream& err, std::string_view line) { err << text::kCliPrefix << line << '\n'; }

void StreamNotice::Show(std::string_view line, NoticeKind) { TellUser(err_, line); }

std::optional<int32_t> ParseCliNumber(std::string_view text) { return ParseWholeNumber<int32_t>(text); }

int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  Invocation invocation = Parse(arguments);
  if (!invocation.error.empty()) {
    TellUser(err, invocation.error);
    PrintUsage(err);
    return kExitUsage;
  }
  if (invocation.command == "--help" || invocation.command == "-h" || invocation.command == "help") {
    PrintUsage(out);
    return kExitOk;
  }
  if (invocation.command == "--version") {
    out << FormatText(text::kCliVersion, text::kProductName, SONVAREK_VERSION) << '\n';
    return kExitOk;
  }
  for (const CliCommand& command : kCommands) {
    if (invocation.command == command.name) {
      return command.run(CommandContext{invocation.home, invocation.rest, out, err});
    }
  }
  if (!invocation.command.empty()) TellUser(err, FormatText(text::kCliUnknownCommand, invocation.command));
  PrintUsage(err);
  return kExitUsage;
}

}  // namespace sonvarek
