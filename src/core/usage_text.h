#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/string_table.h"

namespace sonvarek {

// One line of a usage text: "  " and the term, then its text from column 36; a term
// too long for the column stands on a line of its own.
std::string UsageLine(std::string_view term, std::string_view text);
std::string UsageLines(std::span<const text::CliOptionText> options);

}  // namespace sonvarek
