#include "core/usage_text.h"

namespace sonvarek {

namespace {
constexpr size_t kTermWidth = 34;
}  // namespace

std::string UsageLine(std::string_view term, std::string_view text) {
  std::string line = "  ";
  line += term;
  if (term.size() + 2 <= kTermWidth) {  // two blanks at least between term and text
    line.append(kTermWidth - term.size(), ' ');
  } else {
    line += '\n';
    line.append(kTermWidth + 2, ' ');
  }
  line += text;
  line += '\n';
  return line;
}

std::string UsageLines(std::span<const text::CliOptionText> options) {
  std::string lines;
  for (const text::CliOptionText& option : options) lines += UsageLine(option.flag, option.text);
  return lines;
}

}  // namespace sonvarek
