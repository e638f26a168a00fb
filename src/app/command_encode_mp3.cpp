#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/mp3_config_record.h"
#include "jobs/mp3_encoder.h"
#include "session/batch_session.h"

namespace sonvarek {
namespace {

struct EncodeOptions {
  std::vector<std::string> files;
  std::optional<int32_t> bitRateIndex;
  std::optional<int32_t> vbrQuality;
  std::string outputFolder;
};

// Reads the options; false after telling the user what is wrong.
bool ParseEncodeOptions(const CommandContext& context, EncodeOptions& options) {
  const std::vector<std::string>& arguments = context.arguments;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--bitrate" && hasValue) {
      std::optional<int32_t> kbps = ParseCliNumber(arguments[++i]);
      if (kbps && *kbps > 0) options.bitRateIndex = BitRateIndexOf(static_cast<uint32_t>(*kbps));
      if (!options.bitRateIndex) {
        TellUser(context.err, text::kCliBitrateValues);
        return false;
      }
    } else if (argument == "--vbr" && hasValue) {
      options.vbrQuality = ParseCliNumber(arguments[++i]);
      if (!options.vbrQuality || *options.vbrQuality < 0 || *options.vbrQuality > 8) {
        TellUser(context.err, text::kCliVbrValues);
        return false;
      }
    } else if (argument == "--output" && hasValue) {
      options.outputFolder = arguments[++i];
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

// The per-run overrides of the settings; false (after saying why) when the output
// folder cannot be made.
bool ApplyOverrides(const EncodeOptions& options, Settings& settings, std::ostream& err) {
  if (options.bitRateIndex) settings.BitRate = *options.bitRateIndex;
  if (options.vbrQuality) {
    settings.EnableVBR = 1;
    settings.VBRQuality = *options.vbrQuality;
  }
  if (options.outputFolder.empty() || UseOutputFolder(settings, options.outputFolder)) return true;
  TellUser(err, text::kCantOpenOutputDirectory);
  return false;
}

}  // namespace

// sonvarek encode-mp3 [--bitrate KBPS] [--vbr Q] [--output DIR] FILE...: a "WAV to
// MP3" batch with the MP3 settings of Settings.ini, overridden for this run only.
int RunEncodeMp3Command(const CommandContext& context) {
  EncodeOptions options;
  if (!ParseEncodeOptions(context, options)) return kExitUsage;

  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  if (!ApplyOverrides(options, settings, context.err)) return kExitFailed;
  Mp3EncoderLibrary library;
  LoadEncoderAtStart(library, settings.MP3Encoder, notice);
  BatchController controller(library);
  return RunBatchOnConsole(controller, MakeFileBatch(BatchKind::EncodeMp3, options.files, settings), context.err);
}

}  // namespace sonvarek
