#include "app/cli.h"

#include <array>
#include <ostream>
#include <vector>

#include "app/cli_command.h"
#include "core/string_table.h"

namespace sonvarek {
namespace {

constexpr std::array kCommands = {
    CliCommand{"settings", "settings", "print the effective settings in Settings.ini form", RunSettingsCommand},
    CliCommand{"devices", "devices", "list the CD drives and disc images, one unit a line", RunDevicesCommand},
    CliCommand{"toc", "toc [--device N | --image FILE]", "print the table of contents of a disc", RunTocCommand},
    CliCommand{"rip", "rip [--device N | --image FILE] [OPTIONS]", "rip tracks of a disc to MP3, WAV or Ogg files",
               RunRipCommand},
    CliCommand{"encode-mp3", "encode-mp3 [--bitrate KBPS] [--vbr Q] [--output DIR] FILE...",
               "encode WAV files to MP3 with the MP3 settings", RunEncodeMp3Command},
    CliCommand{"normalize", "normalize [--ratio N] FILE...", "normalize WAV files in place to N % of full scale",
               RunNormalizeCommand},
};

void PrintUsage(std::ostream& stream) {
  stream << "Usage: sonvarek [--home DIR] COMMAND [OPTIONS]\n\nCommands:\n";
  for (const CliCommand& command : kCommands) {
    std::string synopsis = command.synopsis;
    if (synopsis.size() < 34) {
      stream << "  " << synopsis << std::string(34 - synopsis.size(), ' ') << command.summary << '\n';
    } else {
      stream << "  " << synopsis << '\n' << std::string(36, ' ') << command.summary << '\n';
    }
  }
  stream << "\nOptions:\n"
            "  --home DIR                        use DIR as the program folder (Settings.ini, db/, cdplayer.ini)\n"
            "  --help                            show this help\n"
            "  --version                         show the version\n";
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
        invocation.error = "--home needs a folder";
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

void StreamNotice::Show(std::string_view text, NoticeKind) { err_ << "sonvarek: " << text << '\n'; }

int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  Invocation invocation = Parse(arguments);
  if (!invocation.error.empty()) {
    err << "sonvarek: " << invocation.error << '\n';
    PrintUsage(err);
    return kExitUsage;
  }
  if (invocation.command == "--help" || invocation.command == "-h" || invocation.command == "help") {
    PrintUsage(out);
    return kExitOk;
  }
  if (invocation.command == "--version") {
    out << "sonvarek (" << text::kProductName << ") " << SONVAREK_VERSION << '\n';
    return kExitOk;
  }
  for (const CliCommand& command : kCommands) {
    if (invocation.command == command.name) {
      return command.run(CommandContext{invocation.home, invocation.rest, out, err});
    }
  }
  if (!invocation.command.empty()) err << "sonvarek: unknown command '" << invocation.command << "'\n";
  PrintUsage(err);
  return kExitUsage;
}

}  // namespace sonvarek
