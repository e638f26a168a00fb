#include "app/cli.h"

#include <array>
#include <ostream>
#include <vector>

#include "app/cli_command.h"
#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "core/usage_text.h"

namespace sonvarek {
namespace {

constexpr std::array kCommands = {
    CliCommand{"settings", text::kCliSynopsisSettings, text::kCliSummarySettings, RunSettingsCommand},
    CliCommand{"devices", text::kCliSynopsisDevices, text::kCliSummaryDevices, RunDevicesCommand},
    CliCommand{"toc", text::kCliSynopsisToc, text::kCliSummaryToc, RunTocCommand, true},
    CliCommand{"info", text::kCliSynopsisInfo, text::kCliSummaryInfo, RunInfoCommand, true, text::kCliInfoOptions},
    CliCommand{"cdplayer-ini", text::kCliSynopsisCdPlayerIni, text::kCliSummaryCdPlayerIni, RunCdPlayerIniCommand,
               true, text::kCliCdPlayerIniOptions},
    CliCommand{"query", text::kCliSynopsisQuery, text::kCliSummaryQuery, RunQueryCommand, true,
               text::kCliQueryOptions},
    CliCommand{"submit", text::kCliSynopsisSubmit, text::kCliSummarySubmit, RunSubmitCommand, true,
               text::kCliSubmitOptions},
    CliCommand{"play", text::kCliSynopsisPlay, text::kCliSummaryPlay, RunPlayCommand, true, text::kCliPlayOptions},
    CliCommand{"eject", text::kCliSynopsisEject, text::kCliSummaryEject, RunEjectCommand, true},
    CliCommand{"volume", text::kCliSynopsisVolume, text::kCliSummaryVolume, RunVolumeCommand, false,
               text::kCliVolumeOptions},
    CliCommand{"rip", text::kCliSynopsisRip, text::kCliSummaryRip, RunRipCommand, true, text::kCliRipOptions},
    CliCommand{"verify", text::kCliSynopsisVerify, text::kCliSummaryVerify, RunVerifyCommand, true,
               text::kCliVerifyOptions},
    CliCommand{"encode-mp3", text::kCliSynopsisEncodeMp3, text::kCliSummaryEncodeMp3, RunEncodeMp3Command, false,
               text::kCliEncodeMp3Options},
    CliCommand{"encode-ogg", text::kCliSynopsisEncodeOgg, text::kCliSummaryEncodeOgg, RunEncodeOggCommand, false,
               text::kCliEncodeOggOptions},
    CliCommand{"decode", text::kCliSynopsisDecode, text::kCliSummaryDecode, RunDecodeCommand, false,
               text::kCliDecodeOptions},
    CliCommand{"normalize", text::kCliSynopsisNormalize, text::kCliSummaryNormalize, RunNormalizeCommand, false,
               text::kCliNormalizeOptions},
};

void PrintUsage(std::ostream& stream) {
  stream << text::kCliUsageHead;
  for (const CliCommand& command : kCommands) stream << UsageLine(command.synopsis, command.summary);
  stream << text::kCliCommandOptionsHead << UsageLines(text::kCliGlobalOptions) << '\n' << text::kCliHelpHint;
}

void PrintCommandHelp(const CliCommand& command, std::ostream& stream) {
  stream << text::kCliCommandUsageHead << command.synopsis << "\n\n" << command.summary << '\n';
  if (!command.readsDisc && command.options.empty()) return;
  stream << text::kCliCommandOptionsHead;
  if (command.readsDisc) stream << UsageLines(text::kCliDriveOptions);
  stream << UsageLines(command.options);
}

bool AsksForHelp(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h");
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

std::span<const CliCommand> CliCommands() { return kCommands; }

void TellUser(std::ostream& err, std::string_view line) { err << text::kCliPrefix << line << '\n'; }

void StreamNotice::Show(std::string_view line, NoticeKind /*kind*/) { TellUser(err_, line); }

std::optional<int32_t> ParseCliNumber(std::string_view text) { return ParseWholeNumber<int32_t>(text); }

int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  Invocation invocation = Parse(arguments);
  if (!invocation.error.empty()) {
    TellUser(err, invocation.error);
    PrintUsage(err);
    return kExitUsage;
  }
  if (invocation.command == "--help" || invocation.command == "-h" || invocation.command == "help") {
    const CliCommand* topic = nullptr;
    for (const CliCommand& command : kCommands) {
      if (invocation.rest.size() == 1 && invocation.rest[0] == command.name) topic = &command;
    }
    topic ? PrintCommandHelp(*topic, out) : PrintUsage(out);
    return kExitOk;
  }
  if (invocation.command == "--version") {
    out << FormatText(text::kCliVersion, text::kProductName, SONVAREK_VERSION) << '\n';
    return kExitOk;
  }
  for (const CliCommand& command : kCommands) {
    if (invocation.command == command.name) {
      if (AsksForHelp(invocation.rest)) {
        PrintCommandHelp(command, out);
        return kExitOk;
      }
      return command.run(CommandContext{invocation.home, invocation.rest, out, err});
    }
  }
  if (!invocation.command.empty()) TellUser(err, FormatText(text::kCliUnknownCommand, invocation.command));
  PrintUsage(err);
  return kExitUsage;
}

}  // namespace sonvarek
