#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

// sonvarek decode [--output DIR] FILE...: an "MP3 to WAV" batch, each file decoded to
// NAME.WAV in the output folder (the settings' one, or DIR for this run).
int RunDecodeCommand(const CommandContext& context) {
  std::vector<std::string> files;
  FileBatchOverrides overrides;
  const std::vector<std::string>& arguments = context.arguments;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--output" && i + 1 < arguments.size()) {
      overrides.outputFolder = arguments[++i];
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

  return RunFileBatchOnConsole(BatchKind::Decode, files, overrides, context);
}

}  // namespace sonvarek
