#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

struct EncodeOptions {
  std::vector<std::string> files;
  FileBatchOverrides overrides;
};

// Reads the options; false after telling the user what is wrong.
bool ParseEncodeOptions(const CommandContext& context, EncodeOptions& options) {
  const std::vector<std::string>& arguments = context.arguments;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--bitrate" && hasValue) {
      std::optional<int32_t> kbps = ParseCliNumber(arguments[++i]);
      if (kbps && *kbps > 0) options.overrides.bitRateIndex = Mp3BitRateIndex(*kbps);
      if (!options.overrides.bitRateIndex) {
        TellUser(context.err, text::kCliBitrateValues);
        return false;
      }
    } else if (argument == "--vbr" && hasValue) {
      std::optional<int32_t>& quality = options.overrides.vbrQuality;
      quality = ParseCliNumber(arguments[++i]);
      if (!quality || *quality < 0 || *quality > 8) {
        TellUser(context.err, text::kCliVbrValues);
        return false;
      }
    } else if (argument == "--output" && hasValue) {
      options.overrides.outputFolder = arguments[++i];
    } else if (argument.rfind("--", 0) == 0) {
      TellUser(context.err, FormatText(text::kCliEncodeUnknownOption, argument));
      return false;
    } else {
      options.files.push_back(argument);
    }
  }
  if (options.files.empty()) TellUser(context.err, text::kCliEncodeNeedsFiles);
  return !options.files.empty();
}

}  // namespace

// sonvarek encode-mp3 [--bitrate KBPS] [--vbr Q] [--output DIR] FILE...: a "WAV to
// MP3" batch with the MP3 settings of Settings.ini, overridden for this run only.
int RunEncodeMp3Command(const CommandContext& context) {
  EncodeOptions options;
  if (!ParseEncodeOptions(context, options)) return kExitUsage;

  return RunFileBatchOnConsole(BatchKind::EncodeMp3, options.files, options.overrides, context);
}

}  // namespace sonvarek
