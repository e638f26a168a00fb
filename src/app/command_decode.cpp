#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/batch_session.h"

namespace sonvarek {

// sonvarek decode [--output DIR] FILE...: an "MP3 to WAV" batch, each file decoded to
// NAME.WAV in the output folder (the settings' one, or DIR for this run).
int RunDecodeCommand(const CommandContext& context) {
  std::vector<std::string> files;
  std::string outputFolder;
  const std::vector<std::string>& arguments = context.arguments;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--output" && i + 1 < arguments.size()) {
      outputFolder = arguments[++i];
    } else if (argument.rfind("--", 0) == 0) {
      TellUser(context.err, FormatText(text::kCliDecodeUnknownOption, argument));
      return kExitUsage;
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) {
    TellUser(context.err, text::kCliDecodeNeedsFiles);
    return kExitUsage;
  }

  StreamNotice notice(context.err);
  Settings settings = LoadSettings(SystemFolders(context.home), notice);
  if (!outputFolder.empty() && !UseOutputFolder(settings, outputFolder)) {
    TellUser(context.err, text::kCantOpenOutputDirectory);
    return kExitFailed;
  }
  Mp3EncoderLibrary noEncoder;  // a decode batch encodes nothing
  BatchController controller(noEncoder);
  return RunBatchOnConsole(controller, MakeFileBatch(BatchKind::Decode, files, settings), context.err);
}

}  // namespace sonvarek
