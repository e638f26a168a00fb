#include <ostream>

#include "app/batch_console.h"
#include "app/cli_command.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {

// sonvarek normalize [--ratio N] FILE...: a normalize batch, each file scaled in
// place to N % of full scale (the NormalizeRatio setting for this run only).
int RunNormalizeCommand(const CommandContext& context) {
  std::vector<std::string> files;
  FileBatchOverrides overrides;
  for (size_t i = 0; i < context.arguments.size(); ++i) {
    const std::string& argument = context.arguments[i];
    if (argument == "--ratio" && i + 1 < context.arguments.size()) {
      int32_t ratio = ParseCliNumber(context.arguments[++i]).value_or(0);
      if (ratio < 1 || ratio > 100) {
        TellUser(context.err, text::kCliRatioValues);
        return kExitUsage;
      }
      overrides.normalizeRatio = ratio;
    } else if (argument.rfind("--", 0) == 0) {
      TellUser(context.err, FormatText(text::kCliNormalizeUnknownOption, argument));
      return kExitUsage;
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) {
    TellUser(context.err, text::kCliNormalizeNeedsFiles);
    return kExitUsage;
  }

  return RunFileBatchOnConsole(BatchKind::Normalize, files, overrides, context);
}

}  // namespace sonvarek
