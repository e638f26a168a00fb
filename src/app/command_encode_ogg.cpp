#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

struct EncodeOggOptions {
  std::vector<std::string> files;
  FileBatchOverrides overrides;
};

// Reads the options; false after telling the user what is wrong.
bool ParseEncodeOggOptions(const CommandContext& context, EncodeOggOptions& options) {
  const std::vector<std::string>& arguments = context.arguments;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--quality" && hasValue) {
      // The setting itself reads anything outside 1..100 as 60; a typed value out of
      // range is a mistake the user should hear about instead.
      std::optional<int32_t>& quality = options.overrides.oggQuality;
      quality = ParseCliNumber(arguments[++i]);
      if (!quality || *quality < 1 || *quality > 100) {
        TellUser(context.err, text::kCliQualityValues);
        return false;
      }
    } else if (argument == "--output" && hasValue) {
      options.overrides.outputFolder = arguments[++i];
    } else if (argument.rfind("--", 0) == 0) {
      TellUser(context.err, FormatText(text::kCliEncodeOggUnknownOption, argument));
      return false;
    } else {
      options.files.push_back(argument);
    }
  }
  if (options.files.empty()) TellUser(context.err, text::kCliEncodeOggNeedsFiles);
  return !options.files.empty();
}

}  // namespace

// sonvarek encode-ogg [--quality Q] [--output DIR] FILE...: a "WAV to Ogg" batch with
// the Ogg Vorbis settings of Settings.ini, the quality overridden for this run only.
int RunEncodeOggCommand(const CommandContext& context) {
  EncodeOggOptions options;
  if (!ParseEncodeOggOptions(context, options)) return kExitUsage;

  return RunFileBatchOnConsole(BatchKind::EncodeOgg, options.files, options.overrides, context);
}

}  // namespace sonvarek
