#pragma once

// Every job log line, in one place. The first "%s" of each is the time stamp
// (LogTimeStamp); round or square brackets are part of each line's own form.

namespace sonvarek::logformat {

inline constexpr char kExtracting[] = "(%s) Extracting %s ...";
inline constexpr char kExtractingOk[] = "(%s) Extracting %s OK!";
// Verified rips: unreadable sectors made silence, positions that never read the same twice.
inline constexpr char kSectorSilenced[] = "(%s) Warning: Sector %u (%s) of %s could not be read and is silence!";
inline constexpr char kSuspiciousPosition[] = "(%s) Warning: Suspicious position %s (sector %u) in %s!";
inline constexpr char kExtractingSuspicious[] = "(%s) Extracting %s done, with %d suspicious positions!";
inline constexpr char kExtractingSilenced[] = "(%s) Extracting %s done, with %d unreadable sectors made silence!";
inline constexpr char kC2PointersUsed[] = "(%s) The drive's C2 error pointers were used for %s.";
inline constexpr char kTestAndCopyCrcs[] = "(%s) %s: test CRC %08X, copy CRC %08X";
inline constexpr char kAccurateRipVerdict[] = "(%s) AccurateRip: %s: %s";
inline constexpr char kRipLogWritten[] = "(%s) Rip log written: %s";
inline constexpr char kErrorRipLog[] = "(%s) Error: The rip log could not be written: %s!";
inline constexpr char kEncoding[] = "(%s) Encoding %s ...";
inline constexpr char kEncodingOk[] = "(%s) Encoding %s OK!";
inline constexpr char kUserCanceled[] = "(%s) User canceled the operation.";
inline constexpr char kErrorInitializeEncoder[] = "(%s) Error: Error initialize mp3 encoder!";
inline constexpr char kErrorOutOfMemory[] = "(%s) Error: Out of memory!";
inline constexpr char kErrorCantOpenFile[] = "(%s) Error: can't open file %s!";
inline constexpr char kErrorCantOpenTemporaryFile[] = "(%s) Error: Cannot open temporary file %s!";
inline constexpr char kErrorNotEnoughSpace[] = "(%s) Error: Not enough free disk space at disk: %s!";
inline constexpr char kErrorEncodeChunk[] = "(%s) Error: Encoder function beEncodeChunk() failed!";
inline constexpr char kErrorDeinitStream[] = "(%s) Error: Encoder function beDeinitStream() failed!";
inline constexpr char kErrorInitializeOggEncoder[] = "(%s) Error: Error initialize ogg encoder!";
inline constexpr char kErrorOggEncoding[] = "(%s) Error: The Vorbis encoder failed on %s!";
inline constexpr char kErrorSystem[] = "(%s) Error: %s!\n";
inline constexpr char kFileOperationError[] = "File operation error, error cause:%s";
inline constexpr char kWavCantOpen[] = "[%s] Error: Can't open file %s!";
inline constexpr char kWavCantRead[] = "[%s] Error: Can't read file %s!";
inline constexpr char kWavUnsupported[] = "[%s] Error: Can't support this wave format of file %s!";
inline constexpr char kWavNotRegular[] = "[%s] Error: %s is not a regular file!";
inline constexpr char kErrorStepUnavailable[] = "(%s) Error: %s is not available in this version!";
inline constexpr char kErrorOutsideOutputFolder[] =
    "(%s) Error: The naming rule puts %s outside the output folder %s!";
inline constexpr char kErrorOutputFolderNotWritable[] = "(%s) Error: Can't write into the output folder %s: %s!";
inline constexpr char kErrorOutputClash[] = "(%s) Error: %s and %s would both be written to %s!";
inline constexpr char kNotDone[] = "(%s) Not done: %s";
inline constexpr char kErrorWavTooLarge[] = "(%s) Error: %s is too long for a WAV file (at most 4 GiB)!";
inline constexpr char kErrorWriteFile[] = "[%s] Error: Can't write file %s: %s!";
// The MP3 decoding step's lines.
inline constexpr char kDecodeFile[] = "[%s] Decode file %s";
inline constexpr char kDecodeCantOpenInput[] = "[%s] Can't open input files %s";
inline constexpr char kDecodeCantAllocateBuffer[] = "[%s] Can't allocate buffer while decoding.";
inline constexpr char kDecodeReadError[] = "[%s] File read error while decoding.";
inline constexpr char kDecodeBadFile[] = "[%s] Bad or unsupported MPEG file.";
inline constexpr char kDecodeCantOpenOutput[] = "[%s] Can't open output file %s.";
inline constexpr char kDecodeCantAllocatePcm[] = "[%s] Can't allocate PCM buffer.";
inline constexpr char kDecodeInitFailed[] = "[%s] Decoder initialization fail.";
inline constexpr char kDecodeWriteError[] = "[%s] File write error.";
inline constexpr char kDecodeWavFull[] = "[%s] File write error: a WAV file holds at most 4 GiB.";
inline constexpr char kDecodeUserCanceled[] = "[%s] User canceled.";
inline constexpr char kDecodeBadSync[] = "[%s] Bad Sync. in MPEG file.";
inline constexpr char kDecodeOk[] = "[%s] Decode MPEG file OK!";

// The time stamp's own format.
inline constexpr char kTimeStamp[] = "%Y-%m-%d %H:%M:%S";

}  // namespace sonvarek::logformat
