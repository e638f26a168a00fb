#pragma once

#include <cstdint>
#include <vector>

#include "lame_enc/lame_enc.h"

namespace lame_enc {

// Where the first MPEG frame of a file starts: after a leading ID3v2 tag (its
// header, body and footer), else 0. `head` is the file's first 10 bytes or fewer.
uint64_t FirstFrameOffset(const uint8_t* head, size_t size);

// Overwrites the frame reserved at the start of the MP3 stream in the file at
// `path` with `tagFrame`. The file must start (after an ID3v2 tag) with a frame
// whose header matches the tag frame's and be long enough to hold it; otherwise
// nothing is written. BE_ERR_INVALID_FORMAT_PARAMETERS when the frame is not
// there or the file cannot be read or written.
BE_ERR WriteTagFrameIntoFile(const char* path, const std::vector<uint8_t>& tagFrame);

}  // namespace lame_enc
