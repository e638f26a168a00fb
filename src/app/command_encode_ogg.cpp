#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/batch_session.h"

namespace sonvarek {
namespace {

struct EncodeOggOptions {
  std::vector<std::string> files;
  std::optional<int32_t> quality;
  std::string outputFolder;
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
      options.quality = ParseCliNumber(arguments[++i]);
      if (!options.quality || *options.quality < 1 || *options.quality > 100) {
        TellUser(context.err, text::kCliQualityValues);
        return false;
      }
    } else if (argument == "--output" && hasValue) {
      options.outputFolder = arguments[++i];
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

  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  if (options.quality) settings.OggQuality = *options.quality;
  if (!options.outputFolder.empty() && !UseOutputFolder(settings, options.outputFolder)) {
    TellUser(context.err, text::kCantOpenOutputDirectory);
    return kExitFailed;
  }
  Mp3EncoderLibrary library;  // not loaded: an Ogg batch never encodes MP3
  BatchController controller(library);
  return RunBatchOnConsole(controller, MakeFileBatch(BatchKind::EncodeOgg, options.files, settings), context.err);
}

}  // namespace sonvarek
