#pragma once

#include <optional>
#include <string>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// Two jobs of one batch that would write the same file: the later one would
// silently replace what the earlier one made (a naming rule without <number>, two
// tracks of one title, two input files of one name from different folders).
struct OutputClash {
  std::string firstSource;   // the jobs' sourceNames
  std::string secondSource;
  std::string path;          // the file both would write
};

// The output path each job of the batch will write, as its step will name it (a CD
// track by the naming rule and the output format, a converted file by its name in
// the output folder, a normalized file itself). Makes no folder.
std::string PlannedOutputPath(const ConversionBatch& batch, BatchKind kind, const ConversionJob& job);

// The first clash of the batch in job order, or nothing.
std::optional<OutputClash> FindOutputClash(const ConversionBatch& batch, BatchKind kind);

}  // namespace sonvarek
