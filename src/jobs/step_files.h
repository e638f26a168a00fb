#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// The file handling every conversion step shares, so that each rule has one copy.

// True when both paths name one existing file (two spellings, a link): writing the
// second would destroy the first before it was read.
bool SameFile(const std::string& a, const std::string& b);

// The WAV file an encoding step reads for the current job: a file batch's source, the
// WAV a rip wrote as its final output, or the rip's temporary WAV file.
std::string InputPathOf(const ConversionBatch& batch, const ConversionJob& job);

// Logs the failed file operation with the system's `errorText`; returns 0, the
// step's failure, for `return LogFileError(...)`.
int LogFileError(const ConversionBatch& batch, const std::string& errorText);

// The check before a step writes `requiredBytes` where `path` lies: false after the
// "Not enough free disk space" line when the disk has too little; a disk that cannot
// be asked passes.
bool HasFreeSpaceFor(const ConversionBatch& batch, std::string_view path, uint64_t requiredBytes);

// Removes a rip's temporary WAV file once an encoding no longer needs it; true when it
// is gone (or there was none). After a failure `errorText` says why.
bool RemoveTemporaryWav(ConversionBatch& batch, std::string& errorText);

}  // namespace sonvarek
