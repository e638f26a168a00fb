#include "jobs/progress_display.h"

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

std::string MinutesSeconds(int64_t seconds) {
  return FormatText(text::kProgressTimeFormat, static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
}

}  // namespace

ProgressText FormatProgress(int64_t thousandths, int64_t elapsedMs) {
  ProgressText progress;
  progress.elapsed = MinutesSeconds(elapsedMs / 1000);
  if (thousandths != 0) progress.estimated = MinutesSeconds(elapsedMs * 1000 / thousandths / 1000);
  progress.barPercent = static_cast<int>(thousandths / 10);
  progress.percentText =
      FormatText(text::kProgressPercentFormat, static_cast<int>(thousandths / 10), static_cast<int>(thousandths % 10));
  return progress;
}

}  // namespace sonvarek
