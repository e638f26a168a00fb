#pragma once

#include <cstddef>
#include <cstdint>

namespace sonvarek::fuzz {

// One fuzz harness: the work on one input, shared by its libFuzzer target (fuzz_entry.cpp)
// and by the replay test that runs the kept corpora and regressions through it. A harness
// returns normally for every input it handles as the program should, and stops the process
// through FUZZ_CHECK when a property of the result fails.
using HarnessFunction = void (*)(const uint8_t* data, size_t size);

void FuzzProfileFile(const uint8_t* data, size_t size);
void FuzzWavHeader(const uint8_t* data, size_t size);
void FuzzWavNormalizer(const uint8_t* data, size_t size);
void FuzzMp3Encoding(const uint8_t* data, size_t size);
void FuzzCueSheet(const uint8_t* data, size_t size);
void FuzzDiscImage(const uint8_t* data, size_t size);
void FuzzDiscToc(const uint8_t* data, size_t size);
void FuzzSenseData(const uint8_t* data, size_t size);
void FuzzCddbReply(const uint8_t* data, size_t size);
void FuzzMp3Decoding(const uint8_t* data, size_t size);
void FuzzMpegDecoder(const uint8_t* data, size_t size);

[[noreturn]] void CheckFailed(const char* file, int line, const char* condition);

}  // namespace sonvarek::fuzz

// A property every result must have; its failure is a finding, in the fuzzer and in the replay.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::sonvarek::fuzz::CheckFailed(__FILE__, __LINE__, #condition))
