#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvarek::fuzz {

// A folder of the process's own for the files the harnesses read and write, made on
// first use and removed at exit, with a trailing '/'.
const std::string& ScratchFolder();

// Writes `size` bytes to `name` in the scratch folder; its path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);
std::string ReadWholeFile(const std::string& path);
// Removes every file of the folder (the scratch folder's outputs between inputs).
void EmptyFolder(const std::string& folder);

}  // namespace sonvarek::fuzz
