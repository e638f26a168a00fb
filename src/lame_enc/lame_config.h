#pragma once

#include <lame/lame.h>

#include "lame_enc/lame_enc.h"

namespace lame_enc {

// Channels of the samples a stream with this record takes: 1 in mono mode, else 2.
int ChannelsOf(const LameEncConfig& config);

// Checks the record and sets every field it carries on `flags`, then lets
// libmp3lame initialise its parameters. BE_ERR_INVALID_FORMAT for another record
// kind, BE_ERR_INVALID_FORMAT_PARAMETERS for a field or combination the encoder
// refuses (an unknown mode, a VBR quality above 9, a rate libmp3lame cannot take).
BE_ERR ApplyConfig(lame_t flags, const LameEncConfig& config);

}  // namespace lame_enc
